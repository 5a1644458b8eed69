#include "search/extract.h"

#include <algorithm>

#include "transfer/url.h"

namespace ks {
namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";
constexpr std::string_view kFtp = "ftp://";

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The first web address in a lower-cased text from a position on; an ftp
// address counts only when there is no web address at all. Each marker's next
// position is remembered, so scanning a record costs one pass per marker, not
// one per candidate.
class AddressFinder {
  public:
    explicit AddressFinder(const std::string& lower) : lower_(lower) {}
    std::size_t Next(std::size_t from) {
        std::size_t web = std::min(Find(kHttp, http_, from), Find(kHttps, https_, from));
        return web != std::string::npos ? web : Find(kFtp, ftp_, from);
    }

  private:
    struct Cache {
        std::size_t from = 0, at = 0;
        bool valid = false;
    };
    std::size_t Find(std::string_view what, Cache& c, std::size_t from) {
        if (!c.valid || from < c.from || (c.at != std::string::npos && from > c.at)) {
            c.at = lower_.find(what, from);
            c.valid = true;
        }
        c.from = from;
        return c.at;
    }
    const std::string& lower_;
    Cache http_, https_, ftp_;
};

bool IsAbsolute(std::string_view lowerUrl) {
    return StartsWith(lowerUrl, kHttp) || StartsWith(lowerUrl, kHttps) ||
           StartsWith(lowerUrl, kFtp);
}

// The first piece of s from `from` on when split at any of `delims`, empty
// pieces skipped; pos receives where it starts.
std::string_view FirstPiece(std::string_view s, std::size_t from, std::string_view delims,
                            std::size_t& pos) {
    std::size_t b = s.find_first_not_of(delims, from);
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_first_of(delims, b);
    pos = b;
    return s.substr(b, (e == std::string_view::npos ? s.size() : e) - b);
}

std::string_view Trim(std::string_view s, std::string_view chars) {
    std::size_t b = s.find_first_not_of(chars);
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(chars);
    return s.substr(b, e - b + 1);
}

// Record scan: the first acceptable address not yet listed for this engine.
std::string ScanRecord(std::string_view record, const ExtractContext& ctx,
                       const std::string& collected, std::size_t& budget) {
    std::string r = PercentDecode(record);
    ReplaceAll(r, "HREF=", "\"");
    ReplaceAll(r, "href=", "\"");
    ReplaceAll(r, "URL:", "\"");
    const std::string lower = AsciiLower(r);
    AddressFinder finder(lower);
    std::size_t p = 0;
    while (!ctx.Stopped() && budget > 0) {
        --budget;
        std::size_t q = finder.Next(p);
        if (q == std::string::npos) return {};
        std::size_t at = q;
        std::string_view token = FirstPiece(r, q, "\"'>\n\r", at);
        std::string_view cand = token;
        if (cand.find('=') != std::string_view::npos) cand = cand.substr(0, cand.find('&'));
        const std::size_t advance = cand.size();
        if (cand.size() <= kMaxHitUrl) {
            std::string u = UnwrapRedirect(StripTags(cand), ctx.types, ctx.stop);
            // "||" separates a hit's fields, so an address holding it would
            // split its own line.
            if (IsAcceptedLink(ctx.types, u) && u.find("||") == std::string::npos &&
                collected.find(u) == std::string::npos) {
                return u + "||" +
                       ExtractTitleAndDescription(r, q + token.size(), ctx.engine->t1,
                                                  ctx.engine->t2) +
                       "\n";
            }
        }
        p = q + std::max<std::size_t>(advance, 1);
    }
    return {};
}

// Numbered link: the k-th "href" of the record (an "href" not followed by "="
// hands its turn to the next one).
std::string NumberedLink(std::string_view record, const ExtractContext& ctx) {
    const EngineDef& eng = *ctx.engine;
    const std::string lower = AsciiLower(record);
    std::size_t cur = 0;
    for (int i = 0; i < eng.linkNumber; ++i) {
        std::size_t h = lower.find("href", cur);
        if (h == std::string::npos) return {};
        std::string probe;
        for (char c : std::string_view(lower).substr(h, 8))
            if (c != ' ') probe += c;
        if (probe.find("href=") == std::string::npos) {
            h = lower.find("href", h + 4);
            if (h == std::string::npos) return {};
        }
        cur = h + 4;
        if (ctx.Stopped()) return {};
    }
    std::string_view r = record.substr(cur);
    std::size_t lead = r.find_first_not_of(' ');
    r.remove_prefix(lead == std::string_view::npos ? r.size() : lead);
    lead = r.find_first_not_of('=');
    r.remove_prefix(lead == std::string_view::npos ? r.size() : lead);

    std::size_t n = 0;
    // A hit is one line: an address never runs across a line break.
    std::string_view token = FirstPiece(r, 0, "> \"'\r\n", n);
    if (token.empty() || token.size() > kMaxHitUrl) return {};
    std::string u(Trim(token, "\"' "));
    if (u.empty()) return {};  // a token of quotes alone names nothing
    if (!IsAbsolute(AsciiLower(u))) {
        if (!u.empty() && u[0] == '/') {
            u = eng.base + u;
        } else {
            std::string_view base = eng.base;
            while (!base.empty() && base.back() == '/') base.remove_suffix(1);
            u = std::string(base) + "/" + u;
        }
    }
    if (eng.digs && ctx.fetch && !ctx.Stopped()) {
        std::string dug = FirstAcceptedLink(ctx.fetch(u), ctx.types);
        if (!dug.empty()) u = dug;
    }
    u = UnwrapRedirect(std::move(u), ctx.types, ctx.stop);
    if (u.size() > kMaxHitUrl) return {};  // the base made it longer than any address
    if (u.find("||") != std::string::npos) return {};  // would split the hit line
    return u + "||" + ExtractTitleAndDescription(r, n + token.size(), eng.t1, eng.t2) + "\n";
}

std::string Capped(std::string s, std::size_t max) {
    if (s.size() > max) s.resize(max);
    return s;
}

}  // namespace

std::string ExtractHits(std::string_view page, const ExtractContext& ctx) {
    if (!ctx.engine) return {};
    page = page.substr(0, std::min(page.size(), kMaxEnginePage));
    const std::string s1 = AsciiLower(ctx.engine->s1);
    const std::string s2 = AsciiLower(ctx.engine->s2);
    if (s1.empty() || s2.empty()) return {};
    const std::string lower = AsciiLower(page);
    std::string lines;
    std::size_t records = 0, hits = 0, budget = kMaxCandidates;
    std::size_t pos = lower.find(s1);
    while (pos != std::string::npos && !ctx.Stopped() && records < kMaxRecords && hits < kMaxHits) {
        std::size_t end = lower.find(s2, pos + s1.size());
        if (end == std::string::npos) break;
        end += s2.size();
        std::string_view record = page.substr(pos, end - pos);
        ++records;
        std::string line = ctx.engine->linkNumber > 0 ? NumberedLink(record, ctx)
                                                      : ScanRecord(record, ctx, lines, budget);
        if (!line.empty()) {
            lines += line;
            ++hits;
        }
        pos = lower.find(s1, end);
    }
    return lines;
}

std::string ExtractTitleAndDescription(std::string_view record, std::size_t start,
                                       std::string_view t1, std::string_view t2) {
    start = std::min(start, record.size());
    const std::string lower = AsciiLower(record);
    const std::string m1 = AsciiLower(t1), m2 = AsciiLower(t2);
    std::string title, desc;
    std::size_t f = lower.find(m1, start);
    if (f != std::string::npos) {
        title = Capped(StripTags(record.substr(start, f - start)), kMaxTitle);
        std::size_t g = lower.find(m2, f + m1.size());
        if (g != std::string::npos) desc = record.substr(f + m1.size(), g - f - m1.size());
    }
    if (title.empty()) title = " ";
    ReplaceAll(desc, "<br>", " ");
    ReplaceAll(desc, "<BR>", " ");
    desc = Capped(std::string(Trim(StripTags(desc), ".")), kMaxDescription);
    if (!desc.empty()) desc = "..." + desc + "...";
    std::string out = title + "||" + desc + "||";
    out.erase(std::remove(out.begin(), out.end(), '\n'), out.end());
    return std::string(Trim(out, " "));
}

std::string StripTags(std::string_view text) {
    std::size_t lt = text.find('<'), gt = text.find('>');
    if (gt != std::string_view::npos && (lt == std::string_view::npos || gt < lt))
        text.remove_prefix(gt + 1);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        lt = text.find('<', i);
        out.append(text.substr(i, lt == std::string_view::npos ? text.size() - i : lt - i));
        if (lt == std::string_view::npos) break;
        gt = text.find('>', lt + 1);
        if (gt == std::string_view::npos) break;
        i = gt + 1;
    }
    return std::string(Trim(out, " \t\r\n"));
}

bool IsAcceptedLink(std::string_view types, std::string_view url) {
    if (url.empty() || url.size() > kMaxHitUrl) return false;
    UrlParts parts;
    if (!SplitUrl(url, parts)) return false;
    if (parts.service != UrlService::Http && parts.service != UrlService::Https &&
        parts.service != UrlService::Ftp)
        return false;
    const std::string path = AsciiLower(parts.path);
    const std::vector<std::string> exts = SplitTypeList(types);
    for (const std::string& e : exts) {
        if (path.find("." + AsciiLower(e)) != std::string::npos) return true;
    }
    if (exts.empty() || AsciiLower(types).find("htm") == std::string::npos) return false;
    if (!path.empty() && path.back() == '/') return true;
    std::size_t i = path.rfind('/');
    if (i == std::string::npos) i = 0;
    if (path.find('.', i) == std::string::npos) return true;
    return i > 0 && path[i - 1] == '/';
}

std::string UnwrapRedirect(std::string url, std::string_view types, const std::atomic<bool>* stop) {
    std::string lower = AsciiLower(url);
    while (!(stop && stop->load(std::memory_order_relaxed))) {
        std::size_t p = AddressFinder(lower).Next(1);
        if (p == std::string::npos) break;
        if (!IsAcceptedLink(types, std::string_view(url).substr(0, p))) break;
        url.erase(0, p);
        lower.erase(0, p);
    }
    return url;
}

std::string FirstAcceptedLink(std::string_view page, std::string_view types) {
    page = page.substr(0, std::min(page.size(), kMaxEnginePage));
    std::size_t at = 0, from = 0;
    for (;;) {
        std::string_view piece = FirstPiece(page, from, "\"'", at);
        if (piece.empty()) return {};
        if (IsAcceptedLink(types, piece)) return std::string(piece);
        from = at + piece.size();
    }
}

}  // namespace ks
