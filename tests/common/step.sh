# shellcheck shell=bash disable=SC2034 # the variables are for the sourcing step
# The start of every extra test step (tests/*/extra*.sh), which ./test runs
# after ctest with the build folder as its argument:
#   set -euo pipefail
#   source "$(dirname "$0")/../common/step.sh" "NAME" "$@"
# sets build (the build folder), root (the source tree) and art (the build's
# artifacts folder), and gives the step
#   die TEXT...                  ends it with "NAME: TEXT" on stderr
#   need TOOL...                 ends it unless each tool (a path or a
#                                command in PATH) is there to run
#   need_python MODULES PACKAGES ends it unless /usr/bin/python3 imports
#                                MODULES ("dbf, uno") from PACKAGES
#   make_work                    makes $work, a private folder removed when
#                                the step ends
# A missing tool fails the step: ./test installs them (tests/*/packages.txt).
step_name="$1"
build="${2:?usage: $(basename "$0") BUILD_FOLDER}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
art="$build/artifacts"

die() { echo "$step_name: $*" >&2; exit 1; }

need() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || die "$tool is missing"
    done
}

need_python() {
    /usr/bin/python3 -c "import $1" || die "$2 is missing"
}

make_work() {
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
}
