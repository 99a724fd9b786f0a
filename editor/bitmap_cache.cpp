#include "editor/bitmap_cache.h"

#include <atomic>
#include <map>
#include <mutex>

#include "gui/bitmap.h"

namespace bitmap_cache {
namespace {

struct Cache {
    std::mutex mutex;  // editors on several user-interface threads (hosts with one per window)
    std::map<int, VSTGUI::CBitmap*> bitmaps;
    int instances = 0;
};

// Destroyed when the library unloads; by then hosts have closed every effect and so every editor.
Cache& cache() {
    static Cache instance;
    return instance;
}

}  // namespace

VSTGUI::CBitmap* get(int id) {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    auto it = c.bitmaps.find(id);
    if (it != c.bitmaps.end()) return it->second;
    auto* bitmap = new VSTGUI::CBitmap(id);
    c.bitmaps.emplace(id, bitmap);
    return bitmap;
}

void addInstance() {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    ++c.instances;
}

void releaseInstance() {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    if (c.instances <= 0) return;
    if (--c.instances > 0) return;
    for (auto& [id, bitmap] : c.bitmaps) bitmap->forget();
    c.bitmaps.clear();
}

int size() {
    Cache& c = cache();
    std::lock_guard lock(c.mutex);
    return static_cast<int>(c.bitmaps.size());
}

}  // namespace bitmap_cache
