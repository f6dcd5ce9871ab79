#!/usr/bin/env bash
# Skerrow's one entry point for a fresh Debian 12 machine.
#   ./skerrow.sh start   install what is missing, build (the program and skerrow-cli), start the program
#   ./skerrow.sh test    install what is missing, build the test build, run every test
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
    (cd build/test && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2)
    # The worker and stop paths once more under ThreadSanitizer (engine only, no window).
    build build/tsan -DCMAKE_BUILD_TYPE=Debug -DSKERROW_TSAN=ON -DSKERROW_GUI=OFF
    (cd build/tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --output-on-failure -j2)
    # A short libFuzzer run of the saved-list reader (longer runs: SKERROW_FUZZ_SECONDS=600).
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSKERROW_GUI=OFF \
        -DSKERROW_FUZZ=ON -DSKERROW_SANITIZE=ON -DSKERROW_FUZZ_SECONDS="${SKERROW_FUZZ_SECONDS:-30}" > /dev/null
    cmake --build build/fuzz --target saved_list_fuzzer
    (cd build/fuzz && ctest -L fuzz --output-on-failure)
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
