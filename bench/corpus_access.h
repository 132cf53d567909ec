#pragma once
// The corpora every benchmark of a run walks, each built or read on first use.
#include "bench/corpus.h"

namespace vexa::bench {

const Corpus& SharedCorpus();
// The real-code corpus, or null when its file is missing (said once on stderr).
const Corpus* SharedRealCorpus();

}  // namespace vexa::bench
