#pragma once
// What one read-out was asked for and has found out, for its dump, its record and its last
// lines: made afresh when it starts.

#include <QByteArray>
#include <QString>
#include <QStringList>

struct ReadoutFacts
{
    QString folder;              // where the dump goes
    bool headerOption = false;   // a named dump with the KUP header, if the rules can name it
    QString fileName;            // the dump's file name as given; empty: the rules name it
    QString label;               // the box's label as given
    QByteArray banner{};         // as received
    QByteArray loaderVersion{};  // the loader the banner named
    int loaderSizeKb = 0;        // 0: the banner named no family
    QStringList warnings{};      // what looked wrong in the dump, as the log showed it
    bool saved = false;          // the dump took its name
};
