#pragma once
// The documented differences between Vexa and the peers: every class of
// disagreement that is expected, with the reason it stays. A disagreement
// that no class explains fails the differential test. docs/decoder-differences.md
// mirrors this list.
#include <initializer_list>

#include "tests/differential/case_result.h"

namespace vexa::diff {

enum class Origin : uint8_t {
    VexaNaming,  // a naming or display choice of Vexa
    VexaScope,   // what Vexa's decoder is built to decode, and how
    PeerChoice,  // the peer's own choice
};

const char* OriginName(Origin origin);

class Classifier;

struct KnownDifference {
    const char* id;
    const char* example;  // "32: F0 40": the mode, then the bytes
    Origin origin;
    const char* what;    // what differs
    const char* reason;  // why it stays
    bool (*matches)(const CaseResult& c, const Classifier& classifier);
};

extern const KnownDifference kKnownDifferences[];
extern const unsigned kKnownDifferenceCount;

// The test case of an example text ("16: 66 DD 30"); false when malformed.
bool ParseExample(const char* example, TestCase& testCase);

class Classifier {
public:
    explicit Classifier(const ZydisPeer& zydis) : zydis_(zydis) {}

    // Index into kKnownDifferences of the first class that explains the
    // disagreement, or -1 when none does.
    int Classify(const CaseResult& c) const;

    // True when dropping every prefix byte listed leaves Vexa's reading as it
    // was and the remaining difference is none or itself a known one: the
    // prefixes alone explain the disagreement.
    bool ExplainedByPrefixes(const CaseResult& c, std::initializer_list<uint8_t> prefixes) const;

    const ZydisPeer& zydis() const { return zydis_; }

private:
    const ZydisPeer& zydis_;
    mutable unsigned depth_ = 0;
};

}  // namespace vexa::diff
