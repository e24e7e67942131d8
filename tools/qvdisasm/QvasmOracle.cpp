#include "EncodingOracle.h"

#include "qvasm/Snippet.h"

namespace qvdisasm {

namespace {

// qvasm's own encoder. A diagnostic counts as a refusal too: the source we print should assemble
// without a word from the assembler.
class QvasmOracle final : public EncodingOracle
{
public:
    bool assemble(std::string_view line, uint32_t address, std::vector<uint8_t> &bytes) override
    {
        qvasm::SnippetResult result = qvasm::assembleSnippet(line, address);
        if (!result.errors.empty())
            return false;
        bytes = std::move(result.bytes);
        return true;
    }
};

} // namespace

std::unique_ptr<EncodingOracle> createAssemblerOracle()
{
    return std::make_unique<QvasmOracle>();
}

} // namespace qvdisasm
