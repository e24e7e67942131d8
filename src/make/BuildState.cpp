#include "make/BuildState.h"

#include "make/BuildOutput.h"
#include "make/ToolRunner.h"

#include <cstring>
#include <limits>

void BuildState::keepAssemblerRun(const ToolRunResult &result)
{
    if (!result.toolEnded)
        return;
    m_lastExitCode = quint32(result.exitCode.value_or(0));
    storeCapture(result.output);
}

void BuildState::storeCapture(QByteArrayView bytes)
{
    // resize() keeps the allocation when it is big enough and not shared, and keeps the NUL
    // after the data.
    m_capture.resize(bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(m_capture.data(), bytes.data(), size_t(bytes.size()));
    m_length = quint32(qMin<qsizetype>(bytes.size(), std::numeric_limits<quint32>::max()));
}

BuildOutput BuildState::readCapture()
{
    BuildOutput output = BuildOutput::parse(m_capture);
    m_length = quint32(qMin<qsizetype>(output.length(), std::numeric_limits<quint32>::max()));
    return output;
}

bool BuildState::beginRun()
{
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}
