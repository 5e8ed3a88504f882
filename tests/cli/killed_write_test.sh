#!/bin/bash
# A write killed at any moment leaves every photo whole under its own name:
# the old file or the written one, never neither and never a mix. The tool
# writes a folder of large photos and is killed (SIGKILL to its whole process
# group, so that under Wine the Windows process dies with it) at a random
# moment of its writing, KILLS times; then one write that runs to its end
# must write every photo and leave no temporary file of its own.
# Usage: killed_write_test.sh VANTORA_GPS NMEA_GEN DEMO_PHOTO
#   RUNNER: e.g. the Wine wrapper (start its server first, as
#           tools/run-tests.sh does: a server started inside a killed
#           process group would die with it)
#   KILLS: how many kills (default 100); SEED: replays one run's timings
tool=$1
gen=$2
photo=$3
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

kills=${KILLS:-100}
seed=${SEED:-$$}
RANDOM=$seed
# Ten photos of 1 MiB: each takes a few milliseconds to write, so that
# the kills that land in the writing often land in a swap.
photo_count=10
fill_segments=16  # comment segments of 64 KiB
names=()
declare -A old_hash new_hash seen_key seen_state

now_ms() { echo $((${EPOCHREALTIME/./} / 1000)); }
random_below() { echo $(((RANDOM * 32768 + RANDOM) % $1)); }
hash_of() { sha256sum < "$1" | cut -c1-64; }

# Camera photos carry megabytes of image data after the Exif segment; the
# demo photo's few hundred bytes would be written before a kill could land.
fill_photo() {
    local file=$1 head
    [ "$(od -An -tx1 -j2 -N2 "$file" | tr -d ' ')" == "ffe1" ] || return 1
    head=$((4 + $(od -An -tu1 -j4 -N2 "$file" | awk '{ print $1 * 256 + $2 }')))
    [ "$head" -lt "$(stat -c %s "$file")" ] || return 1
    {
        head -c "$head" "$file"
        for ((k = 0; k < fill_segments; k++)); do
            printf '\xff\xfe\xff\xff'
            head -c 65533 /dev/zero
        done
        tail -c +$((head + 1)) "$file"
    } > "$file.filled" && mv "$file.filled" "$file"
}

make_photos() {
    local i name
    run "$gen" --start 2008-05-01T00:30:00 --seconds 900 --lat 35.681236 --lon 139.767125 \
        --speed 1.4 --heading 200 logs/093000.log >/dev/null || fail "generator"
    for ((i = 0; i < photo_count; i++)); do
        name=IMG_09$((30 + i))00.JPG
        names+=("$name")
        run "$photo" "old/$name" "2008:05:01 09:$((30 + i)):00" || fail "demo photo"
        fill_photo "old/$name" || fail "filling $name"
    done
}

# The written state of every photo, from one write of a copy; a second
# write of the written photos must give the same bytes, or a photo that a
# killed write already wrote would have a third acceptable state.
learn_states() {
    local name
    cp -r old new
    run "$tool" write --log logs new >/dev/null 2>&1 || fail "writing the copy"
    cp -r new again
    run "$tool" write --log logs again >/dev/null 2>&1 || fail "writing the written copy"
    for name in "${names[@]}"; do
        old_hash[$name]=$(hash_of "old/$name")
        new_hash[$name]=$(hash_of "new/$name")
        [ "${old_hash[$name]}" != "${new_hash[$name]}" ] || fail "$name not changed by a write"
        cmp -s "new/$name" "again/$name" || fail "$name changed by a second write"
    done
    rm -rf again
}

# Milliseconds of a write and of a dry run, which does everything but the
# writing: the kills land between the two, where the photos change. The
# shortest of three runs, so that few kills come after the end.
measure() {
    local start took i
    dry_ms=999999
    write_ms=999999
    for i in 1 2 3; do
        rm -rf timing
        cp -r old timing
        start=$(now_ms)
        run "$tool" write --dry-run --log logs timing >/dev/null 2>&1
        took=$(($(now_ms) - start))
        [ "$took" -lt "$dry_ms" ] && dry_ms=$took
        start=$(now_ms)
        run "$tool" write --log logs timing >/dev/null 2>&1
        took=$(($(now_ms) - start))
        [ "$took" -lt "$write_ms" ] && write_ms=$took
    done
    rm -rf timing
}

# Sets `state`: "o" (old), "n" (written), "-" (missing) or "x" (anything
# else) for each photo. A photo whose inode, size and change time are as
# last seen is not hashed again: any write or rename changes the change time.
read_states() {
    local name key hash
    state=""
    for name in "${names[@]}"; do
        if [ ! -f "photos/$name" ]; then
            state+="-"
            continue
        fi
        key=$(stat -c '%i %s %.9Z' "photos/$name")
        if [ "$key" != "${seen_key[$name]:-}" ]; then
            hash=$(hash_of "photos/$name")
            if [ "$hash" == "${old_hash[$name]}" ]; then seen_state[$name]=o
            elif [ "$hash" == "${new_hash[$name]}" ]; then seen_state[$name]=n
            else seen_state[$name]=x
            fi
            seen_key[$name]=$key
        fi
        state+=${seen_state[$name]}
    done
}

# Most photos old (with "all-old", every one), so that most of the run is
# writing: a photo that holds its position already is left alone. A broken
# one is put right. What killed writes left is made old, as if the user
# came back later: a write then removes it at once instead of waiting to
# see whether it is in use.
restore() {
    local i name want left
    for left in $(others); do touch -d '-1 minute' "photos/$left"; done
    for ((i = 0; i < photo_count; i++)); do
        name=${names[$i]}
        want=o
        [ "${1:-}" != all-old ] && ((RANDOM % 4 == 0)) && want=n
        [ "${state:$i:1}" == "$want" ] && continue
        if [ "$want" == o ]; then cp "old/$name" "photos/$name"; else cp "new/$name" "photos/$name"; fi
        seen_key[$name]=$(stat -c '%i %s %.9Z' "photos/$name")
        seen_state[$name]=$want
    done
    read_states
}

# Everything in the photo folder that is not a photo.
others() { ls -A photos | grep -vxF -f <(printf '%s\n' "${names[@]}"); }

# Starts a write in a process group of its own, kills the whole group after
# DELAY_MS and waits until no process of it is left. Sets `status`.
killed_write() {
    local pid
    set -m
    $runner "$tool" write --log logs photos >/dev/null 2>&1 &
    pid=$!
    set +m
    sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"
    kill -KILL -- "-$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    status=$?
    while kill -0 -- "-$pid" 2>/dev/null; do sleep 0.01; done
}

# One kill: the photos' states before and after, and what it left.
kill_once() {
    local round=$1 delay before after left_before left_after left_new written=0 pending=0 i
    restore
    before=$state
    left_before=$(others)
    delay=$((window_start + $(random_below $((window_end > window_start ? window_end - window_start : 1)))))
    killed_write "$delay"
    read_states
    after=$state
    left_after=$(others)
    left_new=$(comm -13 <(echo "$left_before") <(echo "$left_after") | tr '\n' ' ')
    # The runs differ in length (written photos are skipped) and the machine
    # is shared: a run that ended first narrows the window to its end; the
    # others widen it again, up to the measured run.
    if [ "$status" -eq 0 ]; then
        finished=$((finished + 1))
        window_end=$((delay > window_start + 10 ? delay : window_start + 10))
    else
        window_end=$((window_end + window_end / 50 + 1))
        window_end=$((window_end < write_ms ? window_end : write_ms))
    fi
    for ((i = 0; i < photo_count; i++)); do
        case "${after:$i:1}" in
        -) fail "kill $round after $delay ms: ${names[$i]} is gone (photos $before -> $after; new files: ${left_new:-none})" ;;
        x) fail "kill $round after $delay ms: ${names[$i]} is neither old nor written (photos $before -> $after; new files: ${left_new:-none})" ;;
        esac
        [ "${before:$i:1}" == o ] || continue
        pending=$((pending + 1))
        [ "${after:$i:1}" == n ] && written=$((written + 1))
    done
    if [ "$status" -ne 0 ] &&
       { [[ $after == *[-x]* ]] || [ "$written" -gt 0 -a "$written" -lt "$pending" ] ||
         [ -n "$left_new" ]; }; then
        mid_write=$((mid_write + 1))
    fi
}

# The last write, of every photo, runs to its end: every photo written, and
# none of its own temporary files left (leftovers of killed writes that it
# did not remove may stay).
final_write() {
    local name leftovers before
    restore all-old
    before=$(others)
    touch final.start
    sleep 0.01  # past the file system's clock tick
    run "$tool" write --log logs photos > out.txt 2>&1
    expect_eq "$?" 0 "final write exit status"
    grep -q "written $photo_count, no match 0, failed 0" out.txt || fail "final write: $(tr -d '\r' < out.txt | tail -1)"
    read_states
    expect_eq "$state" "$(printf 'n%.0s' "${names[@]}")" "photo states after the final write"
    leftovers=$(others)
    for name in $leftovers; do
        if [ "photos/$name" -nt final.start ] || ! grep -qxF "$name" <<< "$before"; then
            fail "the final write left $name"
        fi
    done
    left_count=$(echo -n "$leftovers" | grep -c .)
    [ -z "$leftovers" ] || echo "left over from killed writes: $(echo $leftovers)"
}

mkdir logs old
make_photos
learn_states
[ "$failures" -eq 0 ] || finish "no photos to kill writes of"
measure
# From just before the writing starts to the end of the run.
window_start=$((dry_ms * 9 / 10))
window_end=$write_ms
cp -r old photos
read_states
finished=0
mid_write=0
for ((round = 1; round <= kills; round++)); do
    kill_once "$round"
done
final_write

summary="$kills kills (seed $seed, photos of $(($(stat -c %s "old/${names[0]}") / 1024)) KiB, write ${write_ms} ms, dry run ${dry_ms} ms):"
summary+=" $mid_write mid-write, $finished finished first, $failures failure(s), $left_count leftover(s)"
echo "$summary"
finish "every photo stayed whole through every kill"
