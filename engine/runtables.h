// RunTables: the tables of one analysis run, made by the scanner and read by the list builders.
//
// The stem and word vocabularies, the combination vocabulary and the two token streams. They
// exist only while a run lasts; each is released once its last reader is done. Their texts are
// Windows-1251 bytes. NOT thread-safe.
#pragma once

#include "engine/txtidxunit.h"
#include "engine/vocexprunit.h"
#include "engine/vocunit.h"

/// The tables of one analysis run.
struct RunTables {
    TVocIndex stems;
    TVocIndex words;
    TVocExprIndex exprs;
    TTxtIdxIndex phrases;  // run starts, words and phrase breaks
    TTxtIdxIndex markup;   // tags, words and every non-space delimiter

    /// Returns whether any of the tables dropped an entry because memory ran out.
    bool failed() const {
        return stems.failed() || words.failed() || exprs.failed() || phrases.failed() || markup.failed();
    }
};
