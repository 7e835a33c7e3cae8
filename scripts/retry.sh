# Sourced by the set-up scripts: how a network step is tried again.
# shellcheck shell=sh

# retry DESCRIPTION COMMAND...: COMMAND tried three times, with pauses of 5 and 20 s between, so
# that a mirror's passing hiccup does not end the run; says so on standard error each time.
retry() {
    retry_what=$1
    shift
    for retry_pause in 5 20 0; do
        "$@" && return 0
        if [ "$retry_pause" -eq 0 ]; then break; fi
        echo "$retry_what failed; trying again in ${retry_pause}s" >&2
        sleep "$retry_pause"
    done
    echo "$retry_what failed three times" >&2
    return 1
}
