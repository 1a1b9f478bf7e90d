// qelvo-cli: the headless front end over the same jobs and the same model of
// the controls as the window.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/headless_run.h"
#include "cli/host_io.h"
#include "platform/platform.h"

namespace {

constexpr const char* kHelp = R"(usage: qelvo-cli replace PATH FIND REPLACEMENT [options]
       qelvo-cli find    PATH FIND [options]
       qelvo-cli restore PATH [--restore] [--delete] [--subfolders] [--threads TEXT]

Each command sets the controls of one panel of the window from its arguments
and clicks the panel's start button, then waits until the run is over.

replace  lists every file under PATH that holds FIND and replaces every
         occurrence by REPLACEMENT.
find     lists every file under PATH that holds FIND; no file is changed.
restore  walks PATH for *.bak backups and copies each over the file it was
         made from (--restore), deletes it (--delete), or both.

  PATH         the directory to walk. A relative path is made absolute; on
               POSIX systems "/" is drive Z: ("/tmp/a" is Z:\tmp\a). For
               replace and find, a PATH ending in ".ldz" loads that cache
               file's list instead of walking.
  FIND         the text to find, exactly as typed into the find box: a
               backslash followed by n stands for a line break (CR LF).
  REPLACEMENT  the replacement text, with the same escape.

Options of replace and find (each sets one control; defaults as the window
starts, except that find's pattern is *.*):
  --pattern PAT      file-name pattern, one wildcard pattern (default *.*)
  --subfolders       walk the whole subtree
  --case-sensitive   the presence test compares letters exactly; without it
                     a file is listed when the text occurs in any letter case
                     (replace still changes only exact-case occurrences)
  --backup           (replace) copy each file to its path followed by .bak
                     first; a file whose backup fails is not rewritten
  --encoding TEXT    GBK or UTF8: the encoding of the files (default GBK)
  --threads TEXT     number of worker threads, as typed (default 10)
  --cache            write the walked list to the cache folder beside the
                     program, as DIRECTORY-NAME.ldz
Options of restore:
  --restore --delete --subfolders --threads TEXT, as on the restore panel

Only files whose extension is a known text extension (txt, html, htm, php,
c, h, ...) or that have no extension are searched. Files are written back
atomically: a run that is stopped or killed leaves every file whole. A UTF-8
file keeps every byte outside the replaced text.

Output: one line per file found, as it is found: the hit number, a TAB and
the path (none for restore); when the run has ended, the found count and the
count label, for example "找到文件:12" and "成功替换数量为:3"; with --cache,
the cache writer's status on a third line. Where stderr is a terminal, a
progress line shows files claimed out of files found.

Ctrl-C or SIGTERM stops a run as the stop button does: the files in hand
are finished, the labels are printed, and a second Ctrl-C ends the program at
once. Each file that could not be written, restored or deleted is named on
stderr with the reason ("qelvo-cli: PATH: not written: No space left on
device"); it is listed but not counted.

Exit status:
  0    the run ended and every file was done
  1    a malformed command line
  2    an input check failed (its message goes to stderr, for example
       "文件目录不能为空"), PATH is neither a directory nor a cache file
       ("qelvo-cli: PATH: no such directory"), or an argument holds a
       character that has no GBK form
  3    the thread count started no worker
  4    some files were not written, restored or deleted
  130  stopped by Ctrl-C (SIGINT); 143 stopped by SIGTERM

  -h, --help         show this text
  --version          show the version
)";

}  // namespace

int main(int argc, char** argv) {
    qelvo::platform::prepare_process();
    const std::vector<std::string> arguments = qelvo::cli::host_arguments(argc, argv);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        std::fputs(kHelp, arguments.empty() ? stderr : stdout);
        return arguments.empty() ? qelvo::cli::kUsageError : qelvo::cli::kSuccess;
    }
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument == "--help" || argument == "-h") {
            std::fputs(kHelp, stdout);
            return qelvo::cli::kSuccess;
        }
        if (argument == "--version") {
            std::fputs("qelvo-cli " QELVO_VERSION "\n", stdout);
            return qelvo::cli::kSuccess;
        }
    }
    const qelvo::cli::CommandSpec* command = qelvo::cli::find_command(arguments[0]);
    if (!command) {
        qelvo::cli::print_line(
            stderr, "qelvo-cli: unknown command \"" + arguments[0] + "\"; see qelvo-cli --help");
        return qelvo::cli::kUsageError;
    }
    return qelvo::cli::run_headless(*command, {arguments.begin() + 1, arguments.end()});
}
