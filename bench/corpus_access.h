#pragma once
// The one corpus every benchmark of a run walks, built on first use.
#include "bench/corpus.h"

namespace vexa::bench {

const Corpus& SharedCorpus();

}  // namespace vexa::bench
