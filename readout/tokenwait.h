#pragma once
// Waits for one of a few tokens in text that arrives in pieces.
//
// The text collected since the wait began is searched as a whole, so a token split
// over two reads is found. Only the last few bytes can still become part of a token, so only
// those are kept: a receiver that prints a megabyte of boot output costs no more than one that
// prints a line.

#include <QByteArray>
#include <QList>

class TokenWait
{
public:
    TokenWait() = default;
    explicit TokenWait(QList<QByteArray> tokens) { reset(std::move(tokens)); }

    // Starts a new wait; everything collected so far is forgotten.
    void reset(QList<QByteArray> tokens);

    // Adds one read's worth of text. Returns the offset within `chunk` just past the end of the
    // earliest token found, or -1 while no token has been seen.
    qsizetype feed(const QByteArray &chunk);

private:
    QList<QByteArray> m_tokens;
    QByteArray m_tail;     // end of the text so far that may begin a token
    qsizetype m_keep = 0;  // longest token length minus one
};
