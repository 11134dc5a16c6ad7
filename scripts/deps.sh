# Sourced by the scripts: installs Debian packages that are missing (needs root or sudo).
kestra_install() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
KESTRA_BUILD_PACKAGES=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev
                        qt6-base-dev fonts-dejavu-core fonts-liberation2 poppler-utils ccache
                        xvfb xauth libxcb-cursor0)

# Compiler cache, once the packages are in: a rebuild of an unchanged file costs a look-up. The cache is keyed by
# paths relative to the checkout, so every clone on one machine shares it. Fills KESTRA_CCACHE_ARGS for cmake.
KESTRA_CCACHE_ARGS=()
kestra_use_ccache() {
  command -v ccache >/dev/null 2>&1 || return 0
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  KESTRA_CCACHE_ARGS=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
}
