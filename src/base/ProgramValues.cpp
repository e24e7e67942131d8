#include "base/ProgramValues.h"

ProgramValues &ProgramValues::instance()
{
    static ProgramValues values;
    return values;
}
