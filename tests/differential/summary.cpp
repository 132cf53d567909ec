#include "tests/differential/summary.h"

#include "tests/differential/comparison.h"

namespace vexa::diff {

namespace {
constexpr unsigned kUnexplainedKept = 200;
}

std::string DescribeCase(const CaseResult& c) {
    unsigned shown = c.vexa.valid ? c.vexa.length : 1;
    if (c.zydis.normalized.valid && c.zydis.normalized.length > shown) shown = c.zydis.normalized.length;
    const unsigned minimum = c.encoding.prefixCount + (c.encoding.twoByte ? 3 : 2);
    if (shown < minimum) shown = minimum;
    if (shown > kDecodeWindow) shown = kDecodeWindow;
    std::string text = c.testCase.is32BitMode ? "32-bit " : "16-bit ";
    char hex[4];
    for (unsigned i = 0; i < shown; ++i) {
        std::snprintf(hex, sizeof hex, " %02X", c.testCase.bytes[i]);
        text += hex;
    }
    char what[96];
    DescribeMismatches(c.comparison.mismatches, what, sizeof what);
    text += "  [" + std::string(what) + "]  vexa: " + DescribeInstruction(c.vexa) +
            "  zydis: " + DescribeInstruction(c.zydis.normalized);
    return text;
}

Summary::Summary() : rows_(Row::kCount), classes_(kKnownDifferenceCount) {
    for (auto& row : rows_) row.byClass.assign(kKnownDifferenceCount, 0);
}

void Summary::Add(const CaseResult& c, int classIndex, SecondOpinion opinion) {
    RowTally& row = rows_[c.testCase.row];
    ++row.compared;
    if (c.comparison.mismatches == 0) {
        ++row.agreed;
        return;
    }
    if (classIndex < 0) {
        ++row.unexplained;
        if (unexplainedExamples_.size() < kUnexplainedKept) unexplainedExamples_.push_back(DescribeCase(c));
        return;
    }
    ++row.byClass[classIndex];
    ClassTally& k = classes_[classIndex];
    ++k.count;
    ++k.opinion[static_cast<unsigned>(opinion)];
    if (!k.hasExample) {
        k.hasExample = true;
        k.example = DescribeCase(c);
    }
}

void Summary::Merge(const Summary& other) {
    for (size_t r = 0; r < rows_.size(); ++r) {
        rows_[r].compared += other.rows_[r].compared;
        rows_[r].agreed += other.rows_[r].agreed;
        rows_[r].unexplained += other.rows_[r].unexplained;
        for (size_t k = 0; k < kKnownDifferenceCount; ++k) rows_[r].byClass[k] += other.rows_[r].byClass[k];
    }
    for (size_t k = 0; k < kKnownDifferenceCount; ++k) {
        ClassTally& mine = classes_[k];
        const ClassTally& theirs = other.classes_[k];
        mine.count += theirs.count;
        for (int i = 0; i < 3; ++i) mine.opinion[i] += theirs.opinion[i];
        if (!mine.hasExample && theirs.hasExample) {
            mine.hasExample = true;
            mine.example = theirs.example;
        }
    }
    for (const auto& e : other.unexplainedExamples_) {
        if (unexplainedExamples_.size() < kUnexplainedKept) unexplainedExamples_.push_back(e);
    }
}

uint64_t Summary::compared() const {
    uint64_t n = 0;
    for (const auto& row : rows_) n += row.compared;
    return n;
}
uint64_t Summary::agreed() const {
    uint64_t n = 0;
    for (const auto& row : rows_) n += row.agreed;
    return n;
}
uint64_t Summary::unexplained() const {
    uint64_t n = 0;
    for (const auto& row : rows_) n += row.unexplained;
    return n;
}

void Summary::Print(std::FILE* out, unsigned unexplainedToShow) const {
    std::fprintf(out, "Differential test: Vexa against Zydis (Capstone as second opinion)\n\n");
    std::fprintf(out, "%-34s %10s %10s %10s %11s\n", "opcode class", "compared", "agreed", "known", "unexplained");
    uint64_t known = 0;
    for (uint8_t r = 0; r < Row::kCount; ++r) {
        const RowTally& row = rows_[r];
        if (row.compared == 0) continue;
        const uint64_t rowKnown = row.compared - row.agreed - row.unexplained;
        known += rowKnown;
        std::fprintf(out, "%-34s %10llu %10llu %10llu %11llu\n", RowName(r),
                     static_cast<unsigned long long>(row.compared), static_cast<unsigned long long>(row.agreed),
                     static_cast<unsigned long long>(rowKnown), static_cast<unsigned long long>(row.unexplained));
        for (unsigned k = 0; k < kKnownDifferenceCount; ++k) {
            if (row.byClass[k] == 0) continue;
            std::fprintf(out, "    %-52s %10llu\n", kKnownDifferences[k].id,
                         static_cast<unsigned long long>(row.byClass[k]));
        }
    }
    std::fprintf(out, "%-34s %10llu %10llu %10llu %11llu\n\n", "total", static_cast<unsigned long long>(compared()),
                 static_cast<unsigned long long>(agreed()), static_cast<unsigned long long>(known),
                 static_cast<unsigned long long>(unexplained()));

    std::fprintf(out, "Known differences (capstone: sides with vexa / zydis / neither):\n");
    for (unsigned k = 0; k < kKnownDifferenceCount; ++k) {
        const ClassTally& c = classes_[k];
        const KnownDifference& d = kKnownDifferences[k];
        std::fprintf(out, "  %-26s %-12s %10llu   capstone %llu/%llu/%llu\n", d.id, OriginName(d.origin),
                     static_cast<unsigned long long>(c.count), static_cast<unsigned long long>(c.opinion[0]),
                     static_cast<unsigned long long>(c.opinion[1]), static_cast<unsigned long long>(c.opinion[2]));
        if (c.hasExample) std::fprintf(out, "      e.g. %s\n", c.example.c_str());
    }
    if (unexplained() == 0) {
        std::fprintf(out, "\nNo unexplained disagreement.\n");
        return;
    }
    std::fprintf(out, "\nUNEXPLAINED disagreements: %llu (first %zu):\n", static_cast<unsigned long long>(unexplained()),
                 unexplainedExamples_.size() < unexplainedToShow ? unexplainedExamples_.size() : unexplainedToShow);
    for (size_t i = 0; i < unexplainedExamples_.size() && i < unexplainedToShow; ++i) {
        std::fprintf(out, "  %s\n", unexplainedExamples_[i].c_str());
    }
}

}  // namespace vexa::diff
