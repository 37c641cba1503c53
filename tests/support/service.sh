# Shell helpers of the end-to-end scripts and benchmarks (sourced, not run):
# a sandboxed user for the real zaro-player and the reference service on a
# free port. The C++ tests have the same in PlayerHome.h and ServiceProcess.h.

# zaro_sandbox WORK: a fresh user below WORK (HOME, XDG folders, offscreen,
# dialogs answered and logged, browser requests logged).
zaro_sandbox() {
  local work="$1"
  export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
  export XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/run"
  export QT_QPA_PLATFORM=offscreen ZARO_DIALOG_ANSWERS="update=0" ZARO_DIALOG_LOG="$work/dialogs.log"
  export ZARO_WORKSPACE_LOG="$work/workspace.log" ZARO_PREVIOUS_LIBRARY_DIR="$work/previous"
  mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
}

# wait_for SECONDS COMMAND...: runs COMMAND every $wait_for_interval seconds
# (0.1 unless set) until it succeeds; fails after SECONDS.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep "${wait_for_interval:-0.1}"
  done
}

# zaro_start_service SERVICE_BINARY WORK ARGUMENTS...: starts zaro-service on a
# free port of 127.0.0.1 (its output in WORK/service.out and .err), waits for
# it to listen and points the player at it. Sets service_pid and service_port.
zaro_start_service() {
  local binary="$1" work="$2"; shift 2
  "$binary" --port 0 "$@" > "$work/service.out" 2> "$work/service.err" &
  service_pid=$!
  wait_for 20 grep -qs "listening on" "$work/service.out" || return 1
  service_port=$(sed -n 's/.*listening on [0-9.]*:\([0-9]*\).*/\1/p' "$work/service.out" | head -1)
  export ZARO_SERVICE_URL="http://127.0.0.1:$service_port"
}
