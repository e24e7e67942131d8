#include "base/InternalFailure.h"

#include "base/ProgramValues.h"

void InternalFailure::raise(quint32 code)
{
    ProgramValues::instance().internalCode = code;
    throw InternalFailure(code);
}
