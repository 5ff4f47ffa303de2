#pragma once
// The command line of tamrix-read.

#include "session/readoutrequest.h"

#include <QStringList>

#include <optional>

struct ReadOptions
{
    ReadoutRequest request;          // what the window's user gives, from the options
    std::optional<int> waitSeconds;  // give up when the download has not begun within this long
    bool strict = false;             // a dump saved with warnings ends with a status of its own
};

struct ReadCommandLine
{
    enum class Action {
        Read,
        ListPorts,
        Verify,     // check saved dumps: `files`
        AddHeader,  // make the KUP form of plain dumps: `files`
        ShowText,
        UsageError,
    };
    Action action = Action::UsageError;
    ReadOptions options;
    QStringList files;
    QString text;  // help or version text, or what is wrong
};

// `arguments` as the program got them, its own name first. `currentFolder` is where a dump
// goes without --output.
ReadCommandLine parseReadCommandLine(const QStringList &arguments, const QString &currentFolder);
