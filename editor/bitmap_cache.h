// The process-wide cache of skin bitmaps, shared by every editor instance: a miss loads the picture from
// the library's resources; the pictures are released when the last editor instance is destroyed.
// User-interface thread (editors are built and destroyed there); the instance count is atomic because
// effects, and with them editors, may be created on other threads.
#pragma once

namespace VSTGUI {
class CBitmap;
}

namespace bitmap_cache {

// The cached picture of resource `id` (loaded on first use); the cache keeps its reference.
VSTGUI::CBitmap* get(int id);
// Counted by every editor's constructor and destructor; the last release empties the cache.
void addInstance();
void releaseInstance();
// Pictures held now (tests).
int size();

}  // namespace bitmap_cache
