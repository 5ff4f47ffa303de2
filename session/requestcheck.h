#pragma once
// Whether a read-out can start as it was asked, found out before the port opens and the box is
// woken: a port named, a size there are blocks for, a file name, and a folder with room for the
// dump.

#include "session/readoutrequest.h"

struct LoaderFamily;

struct RequestCheck
{
    StartOutcome outcome;                  // refused, with the words for the user, or not
    const LoaderFamily *family = nullptr;  // the blocks of the size option
    QString folder{};                      // where the dump goes
};

// The default folder is made here, by the first read-out that goes there.
RequestCheck checkRequest(const ReadoutRequest &request);
