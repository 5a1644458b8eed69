# Every dialog template has its own resource number: two dialogs sharing one
# would make the program open the wrong dialog, silently.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
dups=$(grep -h '^#define IDD_' "$KESTRUNE_ROOT"/res/*.h | awk '{print $3}' | sort | uniq -d)
check "dialog resource numbers are unique${dups:+ (shared: $dups)}" test -z "$dups"
