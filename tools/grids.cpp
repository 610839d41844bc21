#include "tools/grids.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/types.h>
#include <unistd.h>
#include <unordered_map>

#include "core/csv.h"
#include "core/helpers.h"

namespace {

// A classic netCDF header, read from its bytes (big-endian throughout).
class NetCdfHeader {
public:
    explicit NetCdfHeader(const std::string& bytes) : b_(bytes) {}

    bool Parse(std::string* error) {
        if (b_.size() < 4 || b_.compare(0, 3, "CDF") != 0 || (b_[3] != 1 && b_[3] != 2))
            return Fail(error, "not a classic netCDF file");
        wideOffsets_ = b_[3] == 2;
        pos_ = 4;
        std::uint32_t records = 0;
        if (!U32(&records)) return Fail(error, "cut short");
        if (!Dimensions() || !Attributes() || !Variables()) return Fail(error, "damaged header");
        return true;
    }

    struct Var {
        std::vector<std::size_t> shape;
        std::uint32_t type = 0;
        std::uint64_t begin = 0;
    };
    const Var* Find(const std::string& name) const {
        const auto it = vars_.find(name);
        return it == vars_.end() ? nullptr : &it->second;
    }

private:
    static bool Fail(std::string* error, const char* why) {
        if (error) *error = why;
        return false;
    }
    bool U32(std::uint32_t* v) {
        if (pos_ + 4 > b_.size()) return false;
        const auto* p = reinterpret_cast<const unsigned char*>(b_.data() + pos_);
        *v = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
        pos_ += 4;
        return true;
    }
    bool Name(std::string* s) {
        std::uint32_t n = 0;
        if (!U32(&n) || n > b_.size() - pos_) return false;
        *s = b_.substr(pos_, n);
        pos_ += (n + 3) / 4 * 4;
        return pos_ <= b_.size();
    }
    static std::size_t TypeSize(std::uint32_t type) {
        switch (type) {
            case 1: case 2: return 1;
            case 3: return 2;
            case 4: case 5: return 4;
            case 6: return 8;
            default: return 0;
        }
    }
    // A list's tag and count; an absent list is two zeros.
    bool List(std::uint32_t tag, std::uint32_t* count) {
        std::uint32_t t = 0;
        if (!U32(&t) || !U32(count)) return false;
        return t == tag || (t == 0 && *count == 0);
    }
    bool Dimensions() {
        std::uint32_t n = 0;
        if (!List(0x0A, &n)) return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string name;
            std::uint32_t length = 0;
            if (!Name(&name) || !U32(&length)) return false;
            dims_.push_back(length);
        }
        return true;
    }
    bool Attributes() {
        std::uint32_t n = 0;
        if (!List(0x0C, &n)) return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string name;
            std::uint32_t type = 0, count = 0;
            if (!Name(&name) || !U32(&type) || !U32(&count)) return false;
            const std::size_t size = TypeSize(type);
            if (size == 0 || count > (b_.size() - pos_) / size) return false;
            pos_ += (count * size + 3) / 4 * 4;
        }
        return pos_ <= b_.size();
    }
    bool Variables() {
        std::uint32_t n = 0;
        if (!List(0x0B, &n)) return false;
        for (std::uint32_t i = 0; i < n; ++i) {
            std::string name;
            std::uint32_t rank = 0;
            if (!Name(&name) || !U32(&rank) || rank > 16) return false;
            Var v;
            for (std::uint32_t k = 0; k < rank; ++k) {
                std::uint32_t id = 0;
                if (!U32(&id) || id >= dims_.size()) return false;
                v.shape.push_back(dims_[id]);
            }
            std::uint32_t size = 0;
            if (!Attributes() || !U32(&v.type) || !U32(&size) || TypeSize(v.type) == 0) return false;
            std::uint32_t hi = 0, lo = 0;
            if (wideOffsets_ && !U32(&hi)) return false;
            if (!U32(&lo)) return false;
            v.begin = wideOffsets_ ? (std::uint64_t{hi} << 32) | lo : lo;
            vars_[name] = v;
        }
        return true;
    }

    const std::string& b_;
    std::size_t pos_ = 0;
    bool wideOffsets_ = false;
    std::vector<std::uint32_t> dims_;
    std::map<std::string, Var> vars_;
};

double Decode(const unsigned char* p, std::uint32_t type) {
    std::uint64_t v = 0;
    const std::size_t n = type == 3 ? 2 : type == 6 ? 8 : type == 1 || type == 2 ? 1 : 4;
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    switch (type) {
        case 1: return static_cast<std::int8_t>(v);
        case 2: return static_cast<double>(v);
        case 3: return static_cast<std::int16_t>(v);
        case 4: return static_cast<std::int32_t>(v);
        case 5: {
            float f;
            const auto u = static_cast<std::uint32_t>(v);
            std::memcpy(&f, &u, 4);
            return f;
        }
        default: {
            double d;
            std::memcpy(&d, &v, 8);
            return d;
        }
    }
}

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

std::string ReadAll(const std::string& file, bool* ok) {
    std::ifstream in(file, std::ios::binary);
    *ok = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteCells(const std::string& out, const std::vector<std::int16_t>& cells, std::string* error) {
    std::string bytes(cells.size() * 2, '\0');
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const auto u = static_cast<std::uint16_t>(cells[i]);
        bytes[2 * i] = static_cast<char>(u & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(u >> 8);
    }
    std::ofstream o(out, std::ios::binary | std::ios::trunc);
    o.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!o) return Fail(error, "cannot write " + out);
    return true;
}

constexpr int kWorldColumns = 4320, kWorldRows = 2160;

}  // namespace

std::optional<NetCdfVariable> ReadNetCdfVariable(const std::string& file, const std::string& name,
                                                 std::string* error) {
    bool ok = false;
    const std::string bytes = ReadAll(file, &ok);
    if (!ok) {
        Fail(error, "cannot open " + file);
        return std::nullopt;
    }
    NetCdfHeader header(bytes);
    if (!header.Parse(error)) return std::nullopt;
    const NetCdfHeader::Var* v = header.Find(name);
    if (!v) {
        Fail(error, "no variable " + name);
        return std::nullopt;
    }
    std::size_t count = 1;
    for (std::size_t d : v->shape) count *= d;
    const std::size_t size = v->type == 3 ? 2 : v->type == 6 ? 8 : v->type <= 2 ? 1 : 4;
    if (v->begin > bytes.size() || count > (bytes.size() - v->begin) / size) {
        Fail(error, name + " runs past the end of the file");
        return std::nullopt;
    }
    NetCdfVariable out;
    out.shape = v->shape;
    out.values.resize(count);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + v->begin);
    for (std::size_t i = 0; i < count; ++i) out.values[i] = Decode(p + i * size, v->type);
    return out;
}

bool ConvertEtopo5(const std::string& cdf, const std::string& out, std::string* error) {
    const auto ys = ReadNetCdfVariable(cdf, "ETOPO05_Y", error);
    const auto xs = ReadNetCdfVariable(cdf, "ETOPO05_X", error);
    const auto rose = ReadNetCdfVariable(cdf, "ROSE", error);
    if (!ys || !xs || !rose) return false;
    // Rows of nodes from pole to pole hold one more than the cells between them.
    const std::size_t rows = ys->values.size();
    if ((rows != kWorldRows && rows != kWorldRows + 1) || xs->values.size() != kWorldColumns ||
        rose->shape.size() != 2 || rose->shape[0] != rows || rose->shape[1] != kWorldColumns)
        return Fail(error, "not a 5-minute world grid of 2160 x 4320 cells");
    // Rows go from north to south, columns east from longitude 0, whichever
    // way the file holds them; of 2161 rows of nodes the southern pole's is left out.
    const bool northFirst = ys->values.front() > ys->values.back();
    const double x0 = std::fmod(xs->values.front() + 360.0, 360.0);
    const int shift = static_cast<int>(std::lround(x0 * 12)) % kWorldColumns;
    std::vector<std::int16_t> cells(static_cast<std::size_t>(kWorldRows) * kWorldColumns);
    for (int r = 0; r < kWorldRows; ++r) {
        const int source = northFirst ? r : static_cast<int>(rows) - 1 - r;
        for (int c = 0; c < kWorldColumns; ++c) {
            const double v = rose->values[static_cast<std::size_t>(source) * kWorldColumns + c];
            const int column = (c + shift) % kWorldColumns;
            cells[static_cast<std::size_t>(r) * kWorldColumns + column] =
                static_cast<std::int16_t>(std::isfinite(v) ? std::clamp(std::lround(v), -32767L, 32767L) : 0);
        }
    }
    return WriteCells(out, cells, error);
}

bool CutUsaGrid(const std::string& world, const std::string& out, std::string* error) {
    bool ok = false;
    const std::string bytes = ReadAll(world, &ok);
    if (!ok || bytes.size() != static_cast<std::size_t>(kWorldRows) * kWorldColumns * 2)
        return Fail(error, world + " is not a 5-minute world grid");
    constexpr int kColumns = 781, kRows = 324;
    constexpr int kFirstRow = (90 - 50) * 12, kFirstColumn = (360 - 130) * 12;
    std::vector<std::int16_t> cells;
    cells.reserve(static_cast<std::size_t>(kColumns) * kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const std::size_t i = (static_cast<std::size_t>(kFirstRow + r) * kWorldColumns +
                                   static_cast<std::size_t>((kFirstColumn + c) % kWorldColumns)) * 2;
            cells.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
    return WriteCells(out, cells, error);
}

bool BuildPopulationGrid(const std::string& citiesCsv, const std::string& out, std::string* error) {
    std::FILE* in = std::fopen(citiesCsv.c_str(), "rb");
    if (!in) return Fail(error, "cannot open " + citiesCsv);
    constexpr long long kColumns = 43200;
    constexpr double kCellKm = 111.19493 / 120;
    // Density in people per square km, summed over the cities that reach a cell.
    std::unordered_map<long long, double> density;
    std::string line;
    std::size_t cities = 0;
    while (ReadWholeLine(in, line)) {
        const std::vector<std::string> f = SplitCsvFields(line);
        if (f.size() < 6) continue;
        double lat = 0, lon = 0, people = 0;
        if (!ScanLeadingDouble(f[3], &lat) || !ScanLeadingDouble(f[4], &lon) || !ScanLeadingDouble(f[5], &people))
            continue;
        if (lat > 60 || lat < -56 || people <= 0) continue;
        ++cities;
        // A cone over a disc whose mean density is 2000 per square km: the
        // city and its suburbs, wide enough to be seen on a regional map.
        const double radiusKm = std::max(3.0, std::sqrt(people / (3.14159265 * 2000)));
        const double peak = 3 * people / (3.14159265 * radiusKm * radiusKm);
        const double cosLat = std::max(std::cos(lat * 0.017453292), 0.01);
        const int dr = static_cast<int>(radiusKm / kCellKm) + 1;
        const int dc = static_cast<int>(radiusKm / (kCellKm * cosLat)) + 1;
        const long long row0 = static_cast<long long>((60 - lat) * 120);
        const long long col0 = static_cast<long long>(std::fmod(lon + 360, 360) * 120);
        for (long long r = row0 - dr; r <= row0 + dr; ++r) {
            if (r < 0 || r >= kPopulationGridRows) continue;
            for (long long c = col0 - dc; c <= col0 + dc; ++c) {
                const double y = (r - row0) * kCellKm, x = (c - col0) * kCellKm * cosLat;
                const double d = std::sqrt(x * x + y * y);
                if (d >= radiusKm) continue;
                density[r * kColumns + (c % kColumns + kColumns) % kColumns] += peak * (1 - d / radiusKm);
            }
        }
    }
    std::fclose(in);
    if (cities == 0) return Fail(error, "no cities in " + citiesCsv);

    std::vector<std::pair<long long, unsigned char>> cells;
    cells.reserve(density.size());
    for (const auto& [at, people] : density)
        cells.emplace_back(at, static_cast<unsigned char>(std::clamp(people / 100, 1.0, 255.0)));
    std::sort(cells.begin(), cells.end());
    std::FILE* o = std::fopen(out.c_str(), "wb");
    if (!o) return Fail(error, "cannot write " + out);
    bool good = true;
    for (std::size_t i = 0; i < cells.size() && good;) {
        std::size_t j = i;
        std::string run;
        while (j < cells.size() && cells[j].first == cells[i].first + static_cast<long long>(j - i))
            run.push_back(static_cast<char>(cells[j++].second));
        good = fseeko(o, static_cast<off_t>(cells[i].first), SEEK_SET) == 0 &&
               std::fwrite(run.data(), 1, run.size(), o) == run.size();
        i = j;
    }
    // The last row ends the file, so its length gives the row count.
    good = good && ftruncate(fileno(o), static_cast<off_t>(kColumns * kPopulationGridRows)) == 0;
    good = std::fclose(o) == 0 && good;
    if (!good) return Fail(error, "cannot write " + out);
    return true;
}
