// Reference counting of views and bitmaps: whoever keeps one calls remember(), and forget() when done;
// the last forget() deletes it. User-interface thread only.
#pragma once

#include <cassert>

namespace VSTGUI {

class CReferenceCounter {
public:
    CReferenceCounter() = default;
    virtual ~CReferenceCounter() = default;
    CReferenceCounter(const CReferenceCounter&) = delete;
    CReferenceCounter& operator=(const CReferenceCounter&) = delete;

    void remember() { ++count_; }
    void forget() {
        assert(count_ > 0 && "forget() without a matching reference");
        if (count_ <= 0) return;  // release builds leak rather than free twice
        if (--count_ == 0) delete this;
    }
    int getNbReference() const { return count_; }

private:
    int count_ = 1;
};

}  // namespace VSTGUI
