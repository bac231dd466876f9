# Installs, only when missing, the Debian packages the build and the tests need.
# The X server tests: Xvfb and xauth, the X client libraries with XTest, and what Qt's xcb
# platform plugin loads at run time (its X11 keyboard library; libxcb-cursor0 for newer Qt).
# The ALSA guest: QEMU, a static busybox and cpio for its initramfs, kmod and xz for the
# stock kernel's modules and image, and alsa-utils for the programs at the other end.
vantrel_packages="cmake ninja-build g++ clang libclang-rt-14-dev qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libasound2-dev pkg-config
  xvfb xauth libx11-dev libxtst-dev libxkbcommon-x11-0 libxcb-cursor0
  qemu-system-x86 busybox-static cpio kmod xz-utils alsa-utils"

vantrel_install_deps() {
  local missing=()
  local p
  for p in $vantrel_packages; do
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" = "install ok installed" ] || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
      if ! command -v sudo >/dev/null; then
        echo "Missing packages and neither root nor sudo: install them, then run again." >&2
        return 1
      fi
      sudo="sudo"
    fi
    # sudo drops the caller's environment, so the front end is set through env.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
