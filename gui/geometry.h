// Points and rectangles in frame pixels (y grows downwards). Plain values: any thread.
#pragma once

namespace VSTGUI {

struct CPoint {
    int x = 0;
    int y = 0;
    constexpr CPoint() = default;
    constexpr CPoint(int x, int y) : x(x), y(y) {}
    constexpr bool operator==(const CPoint&) const = default;
    constexpr CPoint offset(int dx, int dy) const { return {x + dx, y + dy}; }
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    constexpr CRect() = default;
    constexpr CRect(int left, int top, int right, int bottom) : left(left), top(top), right(right), bottom(bottom) {}
    static constexpr CRect fromSize(int x, int y, int width, int height) { return {x, y, x + width, y + height}; }
    constexpr bool operator==(const CRect&) const = default;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool pointInside(CPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    constexpr CRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    constexpr CRect intersect(const CRect& o) const {
        CRect r{left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
                bottom < o.bottom ? bottom : o.bottom};
        return r.isEmpty() ? CRect{} : r;
    }
    constexpr CRect unite(const CRect& o) const {
        if (isEmpty()) return o;
        if (o.isEmpty()) return *this;
        return {left < o.left ? left : o.left, top < o.top ? top : o.top, right > o.right ? right : o.right,
                bottom > o.bottom ? bottom : o.bottom};
    }
};

}  // namespace VSTGUI
