#include "cli/cli_args.h"

namespace ks::cli {

std::string UsageText(Command c) {
    switch (c) {
        case Command::Get:
            return "usage: kestrune-cli [--home DIR] get [OPTIONS] URL\n"
                   "Downloads URL (http, https or ftp) as a project of the job list, resuming a\n"
                   "project with the same URL and folder.\n"
                   "  --dir DIR          download folder (default: the current folder)\n"
                   "  --segments N       simultaneous file segments (default: \"acceleration\")\n"
                   "  --series FROM TO DIGITS [RIGHT]\n"
                   "                     fetch URL + number (zero-padded to DIGITS) + RIGHT\n"
                   "                     for every number from FROM to TO\n"
                   "  --retries N        give up after N failed attempts (0: never; default)\n"
                   "  --mirror URL       another source of the same file, for segments\n"
                   "                     (repeatable; kept in the project's mirror list)\n"
                   "  --ca-file FILE     also trust the CA certificates in FILE (PEM) for https\n"
                   "  --insecure         do not check https certificates (not recommended)\n"
                   "  -q, --quiet        no progress line and no status line (why a\n"
                   "                     download failed is still printed)\n"
                   "Exit status: 0 completed, 1 error or a number of a series skipped (each\n"
                   "named on stderr), 2 invalid URL, 64 usage, 130 interrupted\n"
                   "(an interrupted download is paused and saved; run the same command to\n"
                   "resume it).\n";
        case Command::Grab:
            return "usage: kestrune-cli [--home DIR] grab [OPTIONS] SOURCE\n"
                   "Downloads every wanted file named in SOURCE, a list file (one URL a\n"
                   "line) or a web page (its links), as a URL list project.\n"
                   "  --dir DIR          download folder (default: the current folder)\n"
                   "  --types LIST       file types to take, e.g. \"zip,exe\" (default: the\n"
                   "                     capture file types of the settings)\n"
                   "  --segments N       simultaneous segments of each file\n"
                   "  --retries N        give up on a file after N failed attempts\n"
                   "  -q, --quiet        no progress line and no messages\n"
                   "Exit status: 0 every file completed, 1 a file failed or the list could\n"
                   "not be read (or only in part: a list longer than 100000 links or 32 MiB,\n"
                   "or a page over 4 MiB, is cut, and says so), 130 interrupted.\n";
        case Command::Add:
            return "usage: kestrune-cli [--home DIR] add [--ca-file FILE] [--insecure] URL...\n"
                   "Adds each URL as a new download project (not started).\n"
                   "  --ca-file FILE     from now on also trust the CA certificates in FILE\n"
                   "                     (PEM) for https: they join the program folder's\n"
                   "                     trusted-ca.pem, which \"TLS\" \"cafile\" then names\n"
                   "  --insecure         from now on check no https certificates (\"TLS\"\n"
                   "                     \"verify\" no); every command warns while it is off\n";
        case Command::List:
            return "usage: kestrune-cli [--home DIR] list [--long]\n"
                   "Prints one line per project: Base URL, Size, From, To, Status, Rate,\n"
                   "Time left and Filename, separated by tabs.\n"
                   "  -l, --long         also how the project's last run ended (Completed.,\n"
                   "                     Error, Stopped, Invalid URL; empty if it never ran)\n"
                   "                     and the reason it failed\n";
        case Command::Run:
            return "usage: kestrune-cli [--home DIR] run [--ca-file FILE] [--insecure]\n"
                   "Starts every download, URL list and upload project and runs the queue\n"
                   "(\"limit\", \"maxfiles\", \"wait\") until nothing is running or queued.\n"
                   "  --ca-file FILE, --insecure   https trust, as for get\n"
                   "Prints each project it ran with how it ended and, after a failure, why.\n"
                   "Exit status: 0, or 1 when a project ended with an error or a series\n"
                   "skipped a number, 130 interrupted.\n";
        case Command::Config:
            return "usage: kestrune-cli [--home DIR] config SECTION KEY [VALUE]\n"
                   "Prints a setting of kestrune.ini, or sets it to VALUE.\n"
                   "Example: kestrune-cli config Limits maxfiles 5\n"
                   "A connection's profile is the section named after it (\"LAN Settings\"\n"
                   "or a dial-up entry); its passwords are stored scrambled.\n";
        case Command::Upload:
            return "usage: kestrune-cli [--home DIR] upload [OPTIONS] FTPURL FILE...\n"
                   "Uploads the files into the FTP directory FTPURL as an upload project.\n"
                   "  --user U           FTP user name\n"
                   "  --password P       FTP password (stored in the project file)\n"
                   "  --overwrite        overwrite files on the server (default: resume)\n"
                   "  -q, --quiet        no progress line and no status line\n"
                   "Exit status as for get.\n";
        case Command::Status:
            return "usage: kestrune-cli [--home DIR] status\n"
                   "Prints the connection in use, its HTTP and FTP proxies, the FTP data\n"
                   "mode, and when the scheduler next starts and stops.\n";
        case Command::Search:
            return "usage: kestrune-cli [--home DIR] search [OPTIONS] KEYWORDS...\n"
                   "Sends the keywords to every engine of a category of search.ini, as a\n"
                   "search project of the job list, and writes the merged results page into\n"
                   "the program folder's Data; its path is the last line printed.\n"
                   "  --category N       category number as in search.ini (cat1 is 1; default 1)\n"
                   "  --method M         all, any or exact (default: all)\n"
                   "  --copies           also save a text-only offline copy of every hit\n"
                   "Exit status: 0 search done (with or without hits), 1 no search.ini or no\n"
                   "such category, 64 usage, 130 interrupted (the search is paused and saved).\n";
        case Command::None:
            break;
    }
    return "usage: kestrune-cli [--home DIR] COMMAND [ARGS]\n"
           "Commands:\n"
           "  get URL            download one URL and wait for it\n"
           "  add URL...         add downloads to the job list\n"
           "  list [--long]      show the job list\n"
           "  run                run the whole job list\n"
           "  config S K [V]     read or change a setting\n"
           "  status             connection, proxies and scheduler\n"
           "  upload FTPURL FILE...  upload files and wait for them\n"
           "  search KEYWORDS... run a meta-search and print the results page\n"
           "  grab SOURCE        download the files a list file or web page names\n"
           "Options:\n"
           "  --home DIR         program folder (default: KESTRUNE_HOME, else the\n"
           "                     per-user data folder)\n"
           "  -h, --help         help (also after a command)\n"
           "  -V, --version      version\n";
}

}  // namespace ks::cli
