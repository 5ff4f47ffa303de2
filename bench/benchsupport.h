#pragma once
// What the benchmarks share: the process's own costs and the figures a table is made of.

#include "cputime.h"

#include <QString>

#include <vector>

// Largest resident set so far, and the resident set now, in MB.
double peakRssMb();
double residentMb();
// File descriptors this process holds open.
int openFdCount();

// Bytes on the line in the block phase of a read-out of BLOCKS blocks, over 115200 baud 8N1.
double wireSeconds(int blocks);

// One line of a table: the values of several runs, summarised as median, min and max.
struct Figure
{
    QString name;
    std::vector<double> values;
    QString target;

    double median() const;
    double min() const;
    double max() const;
};
