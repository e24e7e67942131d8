#include "qvasm/UsesCode.h"

namespace qvasm {

uint8_t UsesCode::check(Reg r, const CpuState &cpu)
{
    if (r == RegCS)
        return 0x23;
    const RegClass c = regClass(r);
    Req need = Q86;
    if (c == RegClass::Gpr32 || r == RegFS || r == RegGS || r == RegAllD || r == RegAllDF)
        need = Q386;
    else if (r == RegAll || r == RegAllF)
        need = Q186;
    return Encoder::cpuError(need, cpu);
}

void UsesCode::pushes(const std::vector<Reg> &uses, std::vector<uint8_t> &out)
{
    for (Reg r : uses) {
        switch (regClass(r)) {
        case RegClass::Gpr16:
            out.push_back(uint8_t(0x50 + regNum(r)));
            break;
        case RegClass::Gpr32:
            out.insert(out.end(), {0x66, uint8_t(0x50 + regNum(r))});
            break;
        case RegClass::Seg:
            if (r == RegFS || r == RegGS)
                out.insert(out.end(), {0x0F, r == RegFS ? uint8_t(0xA0) : uint8_t(0xA8)});
            else
                out.push_back(uint8_t(0x06 + 8 * regNum(r)));
            break;
        default:
            if (r == RegAll)
                out.push_back(0x60);
            else if (r == RegAllF)
                out.insert(out.end(), {0x60, 0x9C});
            else if (r == RegAllD)
                out.insert(out.end(), {0x66, 0x60});
            else
                out.insert(out.end(), {0x66, 0x60, 0x66, 0x9C});
            break;
        }
    }
}

void UsesCode::pops(const std::vector<Reg> &uses, std::vector<uint8_t> &out)
{
    for (auto it = uses.rbegin(); it != uses.rend(); ++it) {
        const Reg r = *it;
        switch (regClass(r)) {
        case RegClass::Gpr16:
            out.push_back(uint8_t(0x58 + regNum(r)));
            break;
        case RegClass::Gpr32:
            out.insert(out.end(), {0x66, uint8_t(0x58 + regNum(r))});
            break;
        case RegClass::Seg:
            if (r == RegFS || r == RegGS)
                out.insert(out.end(), {0x0F, r == RegFS ? uint8_t(0xA1) : uint8_t(0xA9)});
            else
                out.push_back(uint8_t(0x07 + 8 * regNum(r)));
            break;
        default:
            if (r == RegAll)
                out.push_back(0x61);
            else if (r == RegAllF)
                out.insert(out.end(), {0x9D, 0x61});
            else if (r == RegAllD)
                out.insert(out.end(), {0x66, 0x61});
            else
                out.insert(out.end(), {0x66, 0x9D, 0x66, 0x61});
            break;
        }
    }
}

} // namespace qvasm
