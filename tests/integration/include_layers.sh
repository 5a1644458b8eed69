# The include direction of the source tree: no file includes a header from a
# layer above its own (scripts/check-layers holds the order). The checker is
# first shown trees with known upward includes, so that a checker that sees
# nothing cannot pass the real tree.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
CHECK="$KESTRUNE_ROOT/scripts/check-layers"

# case: FILE (below src/) | INCLUDED HEADER | expected exit status of the check
CASES=(
    "base/a.h|projects/queue.h|1"
    "base/a.h|platform/files.h|0"
    "transfer/a.cpp|projects/project_store.h|1"
    "transfer/a.cpp|base/project.h|0"
    "projects/a.cpp|transfer/segments.h|0"
    "app/a.cpp|projects/queue.h|1"
    "app/a.cpp|connection/dialup.h|0"
    "connection/a.cpp|app/settings.h|1"
    "projects/a.h|cli/cli_engine.h|1"
    "projects/a.cpp|projects/win32/project_view.h|1"
    "dialogs/a.cpp|app/win32/main_frame.h|1"
    "app/win32/a.cpp|dialogs/dialogs.h|0"
    "projects/win32/a.cpp|app/win32/kestrune_app.h|1"
    "platform/posix/a.cpp|platform/files.h|0"
    "platform/a.cpp|base/text.h|1"
    "newfolder/a.cpp|base/text.h|1"
    "cli/a.cpp|resource.h|0"
)
n=0
for c in "${CASES[@]}"; do
    IFS='|' read -r file header want <<<"$c"
    tree="$KI_WORK/tree-$((++n))"
    mkdir -p "$tree/$(dirname "$file")"
    printf '#include <string>\n#include "%s"\n' "$header" >"$tree/$file"
    "$CHECK" "$tree" >/dev/null
    check "$file including $header exits $want" test "$?" -eq "$want"
done

out=$("$CHECK")
rc=$?
[ -n "$out" ] && echo "$out"
check "the source tree includes nothing from a layer above" test "$rc" -eq 0
