#include "process/qtmessages.h"

#include <QtGlobal>

namespace {

QtMessageHandler g_qtHandler = nullptr;

void dropAllButFatal(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    // The program ends after a fatal message; the reason belongs in the user's report.
    if (type == QtFatalMsg && g_qtHandler)
        g_qtHandler(type, context, message);
}

}  // namespace

void keepQtMessagesFromTheUser()
{
    if (!qEnvironmentVariableIsSet("TAMRIX_QT_MESSAGES"))
        g_qtHandler = qInstallMessageHandler(dropAllButFatal);
}
