#!/usr/bin/env bash
# Installs the Debian packages Clipnest needs to build, run and test.
# Only installs what is missing; needs root or sudo when something is.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake pkg-config clang-format git
  # the fuzz targets' libFuzzer build (make fuzz)
  clang
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qt6-qpa-plugins libgl-dev libxkbcommon-dev
  # Qt's own texts (dialog buttons, file dialogs) in the interface language
  qt6-translations-l10n
  # Wayland: Qt's Wayland platform for the program; the screen-cast stream comes through
  # PipeWire (the Wayland test desktop's helpers build on these too)
  qt6-wayland libwayland-dev wayland-protocols libpipewire-0.3-dev libspa-0.2-dev
  # recording engine
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
  libswresample-dev libx264-dev libxcb1-dev libxcb-shm0-dev libxcb-xfixes0-dev libxcb-damage0-dev
  libxcb-xinput-dev
  libxcb-keysyms1-dev libx11-dev libpulse-dev ffmpeg
  # installing and packaging: validators for the menu entry and metadata, dpkg-shlibdeps
  desktop-file-utils appstream dpkg-dev file man-db
  # reference upload service: nginx in front of php-fpm
  nginx php-fpm php-cli
  # test desktop
  xvfb openbox trayer xterm xdotool xclip x11-utils x11-xserver-utils pulseaudio pulseaudio-utils
  imagemagick fonts-dejavu-core dbus-x11 procps psmisc curl python3
  # a real browser for the service's video page
  chromium
  # Wayland test desktop (scripts/with-wayland-desktop.sh): headless sway, a private session
  # bus, PipeWire, the screen-cast portal and its wlroots backend, screenshots and typing for
  # the tests, D-Bus from Python for the portal probe
  sway swaybg dbus-daemon dbus-bin pipewire pipewire-bin wireplumber xdg-desktop-portal
  xdg-desktop-portal-wlr grim wtype python3-dbus python3-gi
  # bench only (bench/wayland): GStreamer's recorder on the portal stream as the reference,
  # and the Wayland terminal of the typing scene
  gstreamer1.0-tools gstreamer1.0-pipewire gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly foot
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "These packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
