#!/usr/bin/env bash
# Skerrow's one entry point for a fresh Debian 12 machine.
#   ./skerrow.sh start   install what is missing, build (the program and skerrow-cli), start the program
#   ./skerrow.sh test    install what is missing, build the test build, run every test (and fail
#                        when a test leaves a process, such as a test server, running)
#   ./skerrow.sh demo    start a local FTP server and the program set up for it
#   ./skerrow.sh bench   run the benchmarks in bench/
#   ./skerrow.sh package build the Debian package skerrow_<version>_<arch>.deb in build/release
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
cd "$top"

packages=(g++ cmake ninja-build pkg-config gettext libwxgtk3.2-dev libcurl4-openssl-dev
          libgtest-dev googletest xvfb xauth python3-pyftpdlib vsftpd imagemagick
          clang libclang-rt-14-dev)

# What the desktop needs beyond the libraries: wxWidgets' own texts in French and German, and an
# icon theme so that message boxes show their error, question and information icons.
packages+=(wx3.2-i18n adwaita-icon-theme)
# Encrypted FTP: the certificate check is built on OpenSSL; the tests make certificates with openssl
# and serve FTPS with pyftpdlib's TLS handler as well as vsftpd.
packages+=(libssl-dev openssl python3-openssl)
# The Debian package: dpkg-shlibdeps works out its dependencies, appstreamcli checks its metadata
# (the tests build and unpack it too).
packages+=(dpkg-dev appstream)

# What only the tests use: Debian's checks of the package they build, lintian on the .deb and
# hardening-check (in devscripts) on both programs; a window manager (openbox) and xprop, for the
# test that the window keeps its size over several starts under a manager's frame.
test_packages=(lintian devscripts openbox x11-utils)
# SFTP: the tests start OpenSSH's sshd on a high port with keys of their own (never the system's
# service), and make those keys with ssh-keygen.
test_packages+=(openssh-server openssh-client)

# The peers the benchmarks measure against, and what their scripts use.
bench_packages=(lftp curl bc)

install_missing() {
    local missing=()
    for p in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() { # dir, cmake options...
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@" > /dev/null
    cmake --build "$dir"
}

# What start, demo and package build: the two programs, their translations, help and manual pages;
# neither the tests nor the benchmark programs.
release_options=(-DCMAKE_BUILD_TYPE=Release -DSKERROW_TESTS=OFF -DSKERROW_BENCH=OFF)

# Every process the tests start carries this run's mark: in its environment, or (sshd, which writes
# its title over its environment) in its command line. What still carries it once ctest has ended
# was left running by a test.
run_mark="skerrow-test-run-$$-$RANDOM"

marked() { # pid
    local entries=() entry
    mapfile -d '' entries 2> /dev/null < "/proc/$1/environ" || true
    for entry in "${entries[@]}"; do
        [ "$entry" = "SKERROW_TEST_RUN=$run_mark" ] && return 0
    done
    mapfile -d '' entries 2> /dev/null < "/proc/$1/cmdline" || true
    [[ "${entries[*]}" == *"$run_mark"* ]]
}

# Fails, naming them, when processes of the tests are still running a while after ctest ended (a
# test server dies with its test, at once); kills them.
no_leftovers() {
    local pids=() p
    for _ in {1..50}; do
        pids=()
        for p in /proc/[0-9]*; do
            marked "${p#/proc/}" && pids+=("${p#/proc/}")
        done
        [ ${#pids[@]} -eq 0 ] && return 0
        sleep 0.2
    done
    echo "FAILED: the tests left these processes running (killed now):" >&2
    ps -o pid=,args= -p "${pids[*]}" >&2 || true
    kill -KILL "${pids[@]}" 2> /dev/null || true
    return 1
}

# Runs a test command with the run's mark, then fails if it left a process behind.
tested() {
    local status=0
    env SKERROW_TEST_RUN="$run_mark" "$@" || status=$?
    no_leftovers || status=1
    return "$status"
}

case "${1:-start}" in
start)
    install_missing
    # Builds both programs: the window (skerrow) and the headless command (skerrow-cli).
    build build/release "${release_options[@]}"
    exec build/release/bin/skerrow "${@:2}"
    ;;
test)
    install_missing "${test_packages[@]}"
    build build/test -DCMAKE_BUILD_TYPE=Debug -DSKERROW_SANITIZE=ON
    # Every test runs once, within the time tests/CMakeLists.txt gives it: a test that fails, fails.
    (cd build/test && tested xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2)
    # The worker and stop paths once more under ThreadSanitizer (engine only, no window).
    build build/tsan -DCMAKE_BUILD_TYPE=Debug -DSKERROW_TSAN=ON -DSKERROW_GUI=OFF
    (cd build/tsan && tested env TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
        ctest --output-on-failure -j2)
    # A short libFuzzer run of the saved-list reader (longer runs: SKERROW_FUZZ_SECONDS=600).
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSKERROW_GUI=OFF \
        -DSKERROW_FUZZ=ON -DSKERROW_SANITIZE=ON -DSKERROW_FUZZ_SECONDS="${SKERROW_FUZZ_SECONDS:-30}" > /dev/null
    cmake --build build/fuzz --target saved_list_fuzzer
    (cd build/fuzz && tested ctest -L fuzz --output-on-failure)
    ;;
demo)
    install_missing
    build build/release "${release_options[@]}"
    exec scripts/demo.sh build/release/bin/skerrow
    ;;
bench)
    install_missing "${bench_packages[@]}"
    # The run benchmarks (stop, soak) drive the tests' servers and benches: they need the tests too,
    # also when start or package configured build/release without them.
    build build/release -DCMAKE_BUILD_TYPE=Release -DSKERROW_BENCH=ON -DSKERROW_TESTS=ON
    for b in bench/find bench/upload bench/treedelete bench/largedir bench/stop bench/soak bench/list bench/latency; do
        [ -x "$b" ] && "$b" build/release
    done
    ;;
package)
    install_missing
    build build/release "${release_options[@]}"
    rm -f build/release/skerrow_*.deb
    (cd build/release && cpack -G DEB > /dev/null)
    ls build/release/skerrow_*.deb
    ;;
*)
    echo "usage: $0 start|test|demo|bench|package" >&2
    exit 2
    ;;
esac
