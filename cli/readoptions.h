#pragma once
// The command line of tamrix-read.

#include "session/readoutrequest.h"

#include <QStringList>

#include <optional>

struct ReadOptions
{
    ReadoutRequest request;          // what the window's user gives, from the options
    std::optional<int> waitSeconds;  // give up when the download has not begun within this long
};

struct ReadCommandLine
{
    enum class Action { Read, ListPorts, ShowText, UsageError };
    Action action = Action::UsageError;
    ReadOptions options;
    QString text;  // help or version text, or what is wrong
};

// `arguments` as the program got them, its own name first. `currentFolder` is where a dump
// goes without --output.
ReadCommandLine parseReadCommandLine(const QStringList &arguments, const QString &currentFolder);
