# A command that only reads the job list writes nothing, and new project
# numbers continue after the ones already on disk.
source "$KESTRUNE_ROOT/tests/integration/common.bash"
H="$KI_WORK/home"
urls=()
for i in $(seq 1 50); do urls+=("http://127.0.0.1:1/f$i.zip"); done
run_cli 0 "add 50 URLs" --home "$H" add "${urls[@]}"
find "$H" -type f -printf '%T@ %s %p\n' | sort > "$KI_WORK/before"
sleep 1.1
run_cli 0 "list" --home "$H" list
check "list leaves every file as it was" cmp -s "$KI_WORK/before" <(find "$H" -type f -printf '%T@ %s %p\n' | sort)
last=$(ls "$H/Projects" | grep -o '^[0-9]*' | sort -n | tail -n1)
find "$H" -type f -printf '%T@ %s %p\n' | sort > "$KI_WORK/before-add"
sleep 1.1
run_cli 0 "add one more" --home "$H" add http://127.0.0.1:1/g.zip
check "adding a project rewrites none of the others" \
    test -z "$(comm -23 "$KI_WORK/before-add" <(find "$H" -type f -printf '%T@ %s %p\n' | sort))"
newest=$(ls "$H/Projects" | grep -o '^[0-9]*' | sort -n | tail -n1)
check "the new number follows the last one ($last, $newest)" test "$newest" -gt "$last"
