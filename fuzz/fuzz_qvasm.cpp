// The assembler's harness lives with its benchmark; this is the same target under ./dev fuzz.
#include "../bench/qvasm/fuzz_qvasm.cpp"
