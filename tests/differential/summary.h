#pragma once
// Counts of the differential run: per row of the case space (compared, agreed,
// disagreed by known class, unexplained), per known class (count, first
// example, what Capstone says), and the first unexplained cases.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/differential/case_result.h"
#include "tests/differential/known_differences.h"

namespace vexa::diff {

// Capstone's side in a disagreement, judged on the fields that differ.
enum class SecondOpinion : uint8_t { WithVexa, WithZydis, Neither };

class Summary {
public:
    Summary();

    // classIndex: -1 for an unexplained disagreement; ignored when the case agreed.
    void Add(const CaseResult& c, int classIndex, SecondOpinion opinion);

    // Adds the counts of another run (examples kept from this one first).
    void Merge(const Summary& other);

    uint64_t compared() const;
    uint64_t agreed() const;
    uint64_t unexplained() const;

    void Print(std::FILE* out, unsigned unexplainedToShow) const;

private:
    struct RowTally {
        uint64_t compared = 0;
        uint64_t agreed = 0;
        uint64_t unexplained = 0;
        std::vector<uint64_t> byClass;
    };
    struct ClassTally {
        uint64_t count = 0;
        uint64_t opinion[3] = {};
        bool hasExample = false;
        std::string example;
    };
    std::vector<RowTally> rows_;
    std::vector<ClassTally> classes_;
    std::vector<std::string> unexplainedExamples_;
};

// "32-bit  66 0F 6E 00 ...: vexa movd /4 ...; zydis ...". Shows the bytes the
// longer of the two readings covers (at least the opcode and ModR/M).
std::string DescribeCase(const CaseResult& c);

}  // namespace vexa::diff
