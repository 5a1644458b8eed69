#include "search/default_search_ini.h"

#include "platform/files.h"
#include "search/engine_defs.h"

namespace ks {

// SearXNG's result pages put each hit in an <article>; its second link is the
// title link, the paragraph after it the description.
const std::string& DefaultSearchIni() {
    static const std::string text =
        "; Search engine definitions. Each category lists its engines; each engine\r\n"
        "; names its query address and the markers that cut its result page.\r\n"
        "; Placeholders: <KEYWORD> <PAGENUM> <COUNT> <TYPE>. Markers may use %XX escapes.\r\n"
        "[Options]\r\n"
        "maxthread=4\r\n"
        "maxresults=10\r\n"
        "skipupdate=no\r\n"
        "update=http://127.0.0.1/kestrune/update.html\r\n"
        "download=no\r\n"
        "images=no\r\n"
        "[Categories]\r\n"
        "total=3\r\n"
        "cat1=Web\r\n"
        "types1=htm,html,shtml,asp,php,\r\n"
        "list1=htm,html,shtml,asp,php,jsp,cgi,\r\n"
        "cat2=MP3\r\n"
        "types2=mp3,wav,ogg,\r\n"
        "list2=mp3,wav,ogg,flac,mid,\r\n"
        "cat3=File Search\r\n"
        "types3=zip,exe,gz,iso,\r\n"
        "list3=zip,exe,gz,bz2,xz,iso,tar,7z,rar,msi,\r\n"
        "[Web]\r\n"
        "total=2\r\n"
        "eng1=SearXNG Web\r\n"
        "eng2=More Web\r\n"
        "[MP3]\r\n"
        "total=2\r\n"
        "eng1=SearXNG Music\r\n"
        "eng2=More Music\r\n"
        "[File Search]\r\n"
        "total=2\r\n"
        "eng1=SearXNG Files\r\n"
        "eng2=More Files\r\n"
        "[SearXNG Web]\r\n"
        "on=yes\r\n"
        "name=SearXNG\r\n"
        "home=http://127.0.0.1:8888/\r\n"
        "url=http://127.0.0.1:8888/search?q=<KEYWORD>&categories=general&pageno=<PAGENUM>\r\n"
        "s1=%3Carticle\r\n"
        "s2=%3C/article%3E\r\n"
        "t1=%3C/a%3E\r\n"
        "t2=%3C/p%3E\r\n"
        "lnum=2\r\n"
        "base=http://127.0.0.1:8888\r\n"
        "[SearXNG Music]\r\n"
        "on=yes\r\n"
        "name=SearXNG Music\r\n"
        "home=http://127.0.0.1:8888/\r\n"
        "url=http://127.0.0.1:8888/search?q=<KEYWORD>&categories=music&pageno=<PAGENUM>\r\n"
        "s1=%3Carticle\r\n"
        "s2=%3C/article%3E\r\n"
        "t1=%3C/a%3E\r\n"
        "t2=%3C/p%3E\r\n"
        "lnum=2\r\n"
        "base=http://127.0.0.1:8888\r\n"
        "[SearXNG Files]\r\n"
        "on=yes\r\n"
        "name=SearXNG Files\r\n"
        "home=http://127.0.0.1:8888/\r\n"
        "url=http://127.0.0.1:8888/search?q=<KEYWORD>&categories=files&pageno=<PAGENUM>\r\n"
        "s1=%3Carticle\r\n"
        "s2=%3C/article%3E\r\n"
        "t1=%3C/a%3E\r\n"
        "t2=%3C/p%3E\r\n"
        "lnum=2\r\n"
        "base=http://127.0.0.1:8888\r\n"
        "; Slots for more engines: fill in url and markers, then set on=yes.\r\n"
        "[More Web]\r\n"
        "on=no\r\n"
        "url=\r\n"
        "[More Music]\r\n"
        "on=no\r\n"
        "url=\r\n"
        "[More Files]\r\n"
        "on=no\r\n"
        "url=\r\n";
    return text;
}

bool EnsureDefaultSearchIni(const std::string& programFolder) {
    const std::string path = plat::JoinPath(programFolder, kSearchIniName);
    if (plat::FileExists(path)) return true;
    return plat::WriteFileAtomic(path, DefaultSearchIni());
}

}  // namespace ks
