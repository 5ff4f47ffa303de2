#pragma once
// The words for an answer the read-out waits for before the download and that does not come.

#include "readout/readoutengine.h"

#include <QString>

#include <chrono>

// What did not come, to follow "no": "banner from the receiver", "ACK in answer to KDATA".
QString missingAnswerText(const AwaitedAnswer &answer);

// The hint at the usual causes when it has not come for `quiet`.
QString answerHint(const AwaitedAnswer &answer, std::chrono::seconds quiet);
