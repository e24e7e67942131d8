#include "app/InternalFailure.h"

#include "app/ProgramValues.h"

void InternalFailure::raise(quint32 code)
{
    ProgramValues::instance().internalCode = code;
    throw InternalFailure(code);
}
