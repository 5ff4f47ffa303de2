#include "benchsupport.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>

#include <algorithm>

namespace {

std::vector<double> sorted(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values;
}

}  // namespace

double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double residentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.value(1).toDouble() * 4096 / (1024.0 * 1024.0);
}

int openFdCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size());
}

double wireSeconds(int blocks)
{
    // Per block a 22-byte request, the 1032-byte frame and a 22-byte confirmation; then the
    // total's request (17), its byte (1) and DOWN_SUCCESS (13). A byte takes 10 bit times.
    return (blocks * (22 + 1032 + 22) + 17 + 1 + 13) / 11520.0;
}

double Figure::median() const
{
    const std::vector<double> v = sorted(values);
    return v.empty() ? 0 : v[v.size() / 2];
}

double Figure::min() const
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Figure::max() const
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}
