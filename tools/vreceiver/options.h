#pragma once

#include "loader.h"

#include <QString>
#include <QStringList>

#include <optional>

struct ReceiverOptions
{
    LoaderConfig loader;
    int loaderKb = 128;
    QString imageFile;
    QString writeImageFile;
    std::optional<QByteArray> loaderName;
    QString recordFile;
    QString timingsFile;
    bool paced = false;
};

enum class ParseResult { Ok, Help, Error };

// On Help, *message is the help text; on Error, what was wrong.
ParseResult parseReceiverOptions(const QStringList &arguments, ReceiverOptions *options, QString *message);
