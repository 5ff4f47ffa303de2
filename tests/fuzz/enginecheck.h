#pragma once
// Plays a session into the read-out engine and checks, event by event, what must hold
// whatever the loader sends. A broken rule ends the process with a message, so libFuzzer
// and the corpus replay both stop at the first one.

#include "sessioninput.h"

#include "readout/readoutengine.h"

class EngineCheck
{
public:
    void run(const SessionInput &input);
    QByteArray sent() const { return m_sent; }

private:
    void apply(const ReadoutEvents &events);
    void checkSend(const QByteArray &bytes);
    void checkFileName(const QString &name);

    ReadoutEngine m_engine;
    bool m_over = false;  // ended, or its port closed
    QByteArray m_sent;
    QByteArray m_goodWire;  // the wire of a complete session, once start and count are known
    bool m_headerOption = false;
    bool m_dumpNamed = false;
    int m_framesRequested = 0;
    int m_writes = 0;
};
