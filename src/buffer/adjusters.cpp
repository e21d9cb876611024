#include "buffer/adjusters.h"

void InsertAdjuster::AdjustPosition(TextPosition& pos) const {
    if (pos.y < start.y || (pos.y == start.y && pos.x <= start.x))
        return;
    if (pos.y > start.y) {
        pos.y += end.y - start.y;
        return;
    }
    pos.x = end.x + (pos.x - start.x);
    pos.y = end.y;
}

void DeleteAdjuster::AdjustPosition(TextPosition& pos) const {
    if (pos.y < start.y)
        return;
    if (pos.y > end.y) {
        pos.y -= end.y - start.y;
        return;
    }
    if (pos.y == end.y && pos.x >= end.x) {
        pos.x = start.x + (pos.x - end.x);
        pos.y = start.y;
        return;
    }
    if (pos.y == start.y && pos.x < start.x)
        return;
    pos = start;
}
