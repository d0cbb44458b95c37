# Installs, with apt-get, whatever Kelvor needs to build, test and run that this
# machine lacks. Sourced by run.sh and test.sh; does nothing when all is present.

kelvor_packages=(
  cmake ninja-build g++ make pkg-config ccache
  qt6-base-dev qt6-qpa-plugins
  libjpeg-dev libicu-dev libfontconfig-dev libharfbuzz-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core xvfb xauth
)

# Real programs the tests check our output and our window against. Tests that
# need one skip when it is missing; ./test.sh installs them. stress-ng keeps
# every core busy while the tests run, as on a loaded CI machine:
#   stress-ng --cpu "$(nproc)" & ./test.sh; kill $!
kelvor_test_packages=(
  chromium tidy python3-html5lib imagemagick poppler-utils fonts-liberation2
  unrtf libreoffice-writer-nogui libreoffice-draw-nogui pandoc inkscape gnuplot-nox
  xdotool xclip x11-utils x11-apps openbox trayer bindfs fuse3
  clang libclang-rt-14-dev stress-ng
)

# kelvor_install_missing [extra packages...]
kelvor_install_missing() {
  local missing=()
  local p
  for p in "${kelvor_packages[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}
