// An engine's result page cut into hits. The first lines of the input are the
// engine's markers, link number, base and the category's types; the rest is
// the page. Whatever the page, the hits are well-formed lines, bounded in
// number and length.
#include <set>

#include "fuzz_support.h"
#include "search/extract.h"

using namespace ks;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    EngineDef e;
    e.section = "E";
    e.enabled = true;
    e.s1 = in.Line();
    e.s2 = in.Line();
    e.t1 = in.Line();
    e.t2 = in.Line();
    e.linkNumber = in.Byte() % 5;
    e.base = in.Line();
    const std::string types(in.Line());
    const std::string_view page = in.Rest();

    ExtractContext ctx;
    ctx.engine = &e;
    ctx.types = types;
    const std::string hits = ExtractHits(page, ctx);

    std::set<std::string> urls;
    std::size_t pos = 0, count = 0;
    while (pos < hits.size()) {
        std::size_t lf = hits.find('\n', pos);
        FUZZ_CHECK(lf != std::string::npos);  // every hit line is ended
        std::string_view line(hits.data() + pos, lf - pos);
        pos = lf + 1;
        ++count;
        FUZZ_CHECK(line.size() >= 6 && line.substr(line.size() - 2) == "||");
        std::size_t bar = line.find("||");
        FUZZ_CHECK(bar != std::string_view::npos && bar > 0 && bar <= kMaxHitUrl);
        FUZZ_CHECK(line.size() <= kMaxHitUrl + kMaxTitle + kMaxDescription + 64);
        // The scan lists an address once per page; a numbered link is taken
        // as the engine placed it.
        bool fresh = urls.insert(std::string(line.substr(0, bar))).second;
        FUZZ_CHECK(fresh || e.linkNumber > 0);
    }
    FUZZ_CHECK(count <= kMaxHits);

    StripTags(page);
    IsAcceptedLink(types, page.substr(0, 4096));
    FirstAcceptedLink(page, types);
    return 0;
}
