#include "session/awaitedanswer.h"

#include "readout/wiretext.h"

QString missingAnswerText(const AwaitedAnswer &answer)
{
    if (answer.token == wire::kBanner)
        return QStringLiteral("banner from the receiver");
    const QByteArray token = answer.token.trimmed();
    const QString what = token.isEmpty() ? QStringLiteral("line end") : wire::toLogText(token);
    return answer.answersTo.isEmpty() ? what + " from the receiver" : what + " in answer to " + wire::toLogText(answer.answersTo);
}

QString answerHint(const AwaitedAnswer &answer, std::chrono::seconds quiet)
{
    if (answer.token == wire::kBanner)
        return QStringLiteral("No answer from the receiver yet. Check that the cable is a null-modem cable, "
                              "that the right port is chosen, and that the receiver has power.");
    // The loader has answered before, so cable, port and power are right.
    return QStringLiteral("No %1 %2 s after the banner: the handshake with the loader has stopped. Start the read-out "
                          "again, then switch the receiver off and on.")
        .arg(missingAnswerText(answer))
        .arg(quiet.count());
}
