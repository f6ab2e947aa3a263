# Shared by the console checks, which source it: runs a command in a pseudo-terminal (script), which Wine
# turns into a Windows console, types keys there, and waits with deadlines, so that a job that does not
# end fails its check rather than hanging it.
#   start_console COMMAND   runs the shell command COMMAND in the console, whose input stays open (a closed
#                           console would hang the program up) until stop_console
#   press KEYS              types KEYS (printf notation) into the console
#   stop_console            closes the console and waits for it
#   await SECONDS TEST...   waits until the command TEST... succeeds, at most SECONDS; fails when it never did

start_console() {
    mkfifo console-in
    script -qec "$1" /dev/null <console-in >/dev/null 2>&1 &
    console=$!
    exec 3>console-in
}

press() {
    # shellcheck disable=SC2059
    printf "$1" >&3
}

stop_console() {
    exec 3>&-
    kill "$console" 2>/dev/null
    wait "$console" 2>/dev/null
}

await() {
    tenths=$(($1 * 10))
    shift
    while ! "$@"; do
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
        tenths=$((tenths - 1))
    done
}
