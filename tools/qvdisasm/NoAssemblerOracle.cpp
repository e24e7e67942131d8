#include "EncodingOracle.h"

namespace qvdisasm {

// Built without qvasm's library: the texts go out unchecked.
std::unique_ptr<EncodingOracle> createAssemblerOracle()
{
    return nullptr;
}

} // namespace qvdisasm
