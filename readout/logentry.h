#pragma once
// One entry of the read-out's log. It holds no line end: the window and tamrix-read each add one
// where an entry ends its line, and nothing where it leaves it open.

#include <QString>

#include <utility>

struct LogEntry
{
    enum class Place {
        Line,     // a line of its own
        Opening,  // begins a line that the next entry ends: a block's request waits for its result
        Closing,  // ends the line the entry before left open
    };

    QString text;
    Place place = Place::Line;

    static LogEntry line(QString text) { return {std::move(text), Place::Line}; }
    static LogEntry opening(QString text) { return {std::move(text), Place::Opening}; }
    static LogEntry closing(QString text) { return {std::move(text), Place::Closing}; }

    bool endsLine() const { return place != Place::Opening; }
};
