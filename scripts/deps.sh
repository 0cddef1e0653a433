# Installs the Debian packages that are missing (only those), as root or
# through sudo. Sourced by ./run and ./test.
kt4_missing_packages() {
    local p missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    printf '%s\n' "${missing[@]}"
}

kt4_ensure_packages() {
    local missing
    missing=$(kt4_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "installing: $(echo $missing)" >&2
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# What the program needs to build and run
KT4_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
    fonts-dejavu-core fonts-wqy-microhei)
# What the tests need besides
# (locales: the sources of the German locale the number tests make)
KT4_TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev poppler-utils locales)
