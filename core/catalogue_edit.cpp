#include "core/catalogue_edit.h"

#include <cstring>

#include "core/catalogue_rebuild.h"

namespace {

// The first record in [from, to) whose time is t or later; to when none is.
// A scan, not a bisection: a zero-dated record inside the file has no place
// in the order and must not send the search astray.
std::int32_t LowerBound(const CatalogueRebuild& r, std::int32_t from, std::int32_t to, TimeValue t) {
    for (; from < to; ++from) {
        const TimeValue stored = r.StoredAt(from);
        if (stored.t != 0.0 && !(stored < t)) break;
    }
    return from;
}

CatalogueEdit Failed(const std::string& what) {
    CatalogueEdit e;
    e.error = what;
    return e;
}

CatalogueEdit Swap(CatalogueRebuild& r, std::int32_t index) {
    CatalogueEdit e;
    e.error = r.Finish();
    if (e.error.empty()) {
        e.index = index;
        e.changed = true;
    }
    return e;
}

bool SameBytes(const QuakeRecord& a, const QuakeRecord& b) {
    unsigned char x[kQuakeRecordSize], y[kQuakeRecordSize];
    EncodeQuakeRecord(a, x);
    EncodeQuakeRecord(b, y);
    return std::memcmp(x, y, sizeof x) == 0;
}

}  // namespace

TimeValue QuakeTime(const QuakeRecord& q) {
    TimeValue t;
    t.SetFromQuake(q);
    return t;
}

CatalogueEdit AddQuakeRecord(const std::string& catalogue, const QuakeRecord& q) {
    CatalogueRebuild r;
    if (!r.Open(catalogue)) return Failed(r.error());
    const std::int32_t at = LowerBound(r, 0, r.count(), QuakeTime(q));
    if (!r.BeginRewrite()) return Failed(r.error());
    if (!r.CopyStored(0, at)) return Failed(r.Finish());
    r.Put(q);
    if (!r.CopyStored(at, r.count())) return Failed(r.Finish());
    return Swap(r, at);
}

CatalogueEdit ReplaceQuakeRecord(const std::string& catalogue, std::int32_t index, const QuakeRecord& q) {
    CatalogueRebuild r;
    if (!r.Open(catalogue)) return Failed(r.error());
    const std::int32_t n = r.count();
    if (index < 0 || index >= n) return Failed("There is no record " + std::to_string(index + 1) + " in " + r.path());
    QuakeRecord stored;
    (void)r.StoredAt(index, &stored);
    if (SameBytes(stored, q)) {
        CatalogueEdit e;
        e.index = index;
        return e;
    }
    const TimeValue t = QuakeTime(q);
    const bool fitsBefore = index == 0 || r.StoredAt(index - 1) <= t;
    const bool fitsAfter = index == n - 1 || t <= r.StoredAt(index + 1);
    if (!r.BeginRewrite()) return Failed(r.error());
    std::int32_t placed = index;
    bool ok = true;
    if (fitsBefore && fitsAfter) {
        ok = r.CopyStored(0, index);
        r.Put(q);
        ok = ok && r.CopyStored(index + 1, n);
    } else if (!fitsBefore) {
        placed = LowerBound(r, 0, index, t);
        ok = r.CopyStored(0, placed);
        r.Put(q);
        ok = ok && r.CopyStored(placed, index) && r.CopyStored(index + 1, n);
    } else {
        const std::int32_t before = LowerBound(r, index + 1, n, t);
        ok = r.CopyStored(0, index) && r.CopyStored(index + 1, before);
        r.Put(q);
        ok = ok && r.CopyStored(before, n);
        placed = before - 1;
    }
    if (!ok) return Failed(r.Finish());
    return Swap(r, placed);
}

CatalogueEdit DeleteQuakeRecord(const std::string& catalogue, std::int32_t index) {
    CatalogueRebuild r;
    if (!r.Open(catalogue)) return Failed(r.error());
    if (index < 0 || index >= r.count())
        return Failed("There is no record " + std::to_string(index + 1) + " in " + r.path());
    if (!r.BeginRewrite()) return Failed(r.error());
    if (!r.CopyStored(0, index) || !r.CopyStored(index + 1, r.count())) return Failed(r.Finish());
    return Swap(r, index);
}
