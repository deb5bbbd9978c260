#!/usr/bin/env bash
# Checks of tarnvale as installed software.
#
#   package_test.sh validate PACKAGING_DIR   the launcher and the metainfo as written
#   package_test.sh install BUILD_DIR SCRATCH  `cmake --install` into SCRATCH/usr
#   package_test.sh deb BUILD_DIR SCRATCH      the .deb that CPack builds: lintian,
#                                              hardening-check, unpacked and played
#
# The tools and the expected id and version come from the environment, as
# tests/packaging/CMakeLists.txt sets them: APP_ID, VERSION, CMAKE, CPACK,
# DESKTOP_FILE_VALIDATE, APPSTREAMCLI, DPKG_DEB, DPKG_SHLIBDEPS, LINTIAN,
# HARDENING_CHECK, HARDENED (whether the build is hardened), WINDOW_PROBE
# (the library that clicks through to the game window).
set -euo pipefail

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
die() { echo "FAIL: $*" >&2; exit 1; }
need() {
  local tool
  for tool; do
    [[ -x ${!tool:-} ]] || die "$tool not found (scripts/install-deps installs it)"
  done
}
finish() {
  [[ $failures -eq 0 ]] || die "$failures check(s) failed"
  echo "ok: $1"
}

# The value of KEY in the [Desktop Entry] group of a .desktop file.
desktop_value() {
  sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1" | head -n1
}

# Width and height of a PNG, from its IHDR chunk.
png_size() {
  local b
  read -r -a b < <(od -An -tu1 -j16 -N8 "$1")
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

validate_sources() {
  local dir=$1
  "$DESKTOP_FILE_VALIDATE" "$dir/$APP_ID.desktop" || fail "desktop-file-validate rejects $APP_ID.desktop"
  "$APPSTREAMCLI" validate --no-net --strict --explain "$dir/$APP_ID.metainfo.xml" \
    || fail "appstreamcli rejects $APP_ID.metainfo.xml"
}

# Everything a desktop needs under PREFIX inside ROOT, and the launcher's
# command starting the installed executable.
check_tree() {
  local root=$1 prefix=$2
  local usr=$root$prefix
  local desktop=$usr/share/applications/$APP_ID.desktop
  local metainfo=$usr/share/metainfo/$APP_ID.metainfo.xml
  local icons=$usr/share/icons/hicolor

  # Where Debian keeps games: the program in games/, its private module
  # under lib/games/, nothing in bin/.
  [[ -x $usr/games/tarnvale ]] || fail "no executable $prefix/games/tarnvale"
  [[ -e $usr/bin/tarnvale ]] && fail "an executable in $prefix/bin as well"
  [[ -f $usr/lib/games/tarnvale/libtarnvale_desktop.so ]] \
    || fail "no windows' module $prefix/lib/games/tarnvale/libtarnvale_desktop.so"
  check_docs "$usr" "$prefix"
  [[ -f $desktop ]] || { fail "no launcher $prefix/share/applications/$APP_ID.desktop"; return; }
  [[ -f $metainfo ]] || { fail "no metainfo $prefix/share/metainfo/$APP_ID.metainfo.xml"; return; }
  [[ -f $usr/share/doc/tarnvale/copyright ]] || fail "no licence in $prefix/share/doc/tarnvale"

  "$DESKTOP_FILE_VALIDATE" "$desktop" || fail "desktop-file-validate rejects the installed launcher"
  # The tree as a software centre reads it: metainfo, launcher and icon together.
  "$APPSTREAMCLI" validate-tree --no-net --strict --explain "$usr" || fail "appstreamcli rejects $prefix"

  # The launcher: its command is the installed executable, its icon the
  # installed icon, and it files itself under games.
  local exec icon categories
  exec=$(desktop_value "$desktop" Exec)
  icon=$(desktop_value "$desktop" Icon)
  categories=$(desktop_value "$desktop" Categories)
  [[ $exec == tarnvale ]] || fail "launcher runs '$exec', not tarnvale"
  [[ $icon == "$APP_ID" ]] || fail "launcher shows icon '$icon', not $APP_ID"
  [[ ";$categories" == *";Game;"* && ";$categories" == *";AdventureGame;"* ]] \
    || fail "launcher categories '$categories' lack Game;AdventureGame"
  local version
  version=$(PATH="$usr/games:$PATH" "$exec" --version) || fail "'$exec --version' from $prefix/games fails"
  [[ $version == "tarnvale $VERSION" ]] || fail "'$exec --version' says '$version'"

  # The icon: the drawing and a PNG of each size, each as large as its folder says.
  [[ -f $icons/scalable/apps/$APP_ID.svg ]] || fail "no scalable icon"
  grep -q '<svg' "$icons/scalable/apps/$APP_ID.svg" 2>/dev/null || fail "the scalable icon is not SVG"
  local size png
  for size in 16 32 48 64 128 256; do
    png=$icons/${size}x${size}/apps/$APP_ID.png
    if [[ ! -f $png ]]; then
      fail "no ${size}x${size} icon"
    elif [[ $(png_size "$png") != "${size}x${size}" ]]; then
      fail "the ${size}x${size} icon is $(png_size "$png")"
    fi
  done

  # The metainfo names the launcher that is installed and this version as
  # its newest release.
  grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch $APP_ID.desktop"
  local release
  release=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
  [[ $release == "$VERSION" ]] || fail "the newest release in the metainfo is '$release', the project is $VERSION"
}

# The manual page and the changelog, compressed as Debian wants them; the
# page renders without a complaint and says what the program's own help says.
check_docs() {
  local usr=$1 prefix=$2
  local page=$usr/share/man/man6/tarnvale.6.gz
  local changelog=$usr/share/doc/tarnvale/changelog.Debian.gz
  if [[ ! -f $page ]]; then
    fail "no manual page $prefix/share/man/man6/tarnvale.6.gz"
  else
    gzip -t "$page" || fail "the manual page is not gzip"
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot render the page"
    [[ -z $warnings ]] || fail "man warns about the page: $warnings"
    local option
    for option in --terminal --text --easy --music --json --help --version; do
      zcat "$page" | grep -q -- "${option//-/\\\\-}" || fail "the manual page does not describe $option"
    done
  fi
  if [[ ! -f $changelog ]]; then
    fail "no changelog $prefix/share/doc/tarnvale/changelog.Debian.gz"
  else
    zcat "$changelog" | head -n1 | grep -q "^tarnvale ($VERSION-1) " \
      || fail "the changelog's newest entry is not $VERSION-1"
  fi
}

# Plays the unpacked tree as a player on a desktop would: the launcher's
# command from its games/ directory, the dialog painted, «начать» clicked,
# the game window painted, all offscreen; the module must be the tree's own.
play_windows() {
  local root=$1 scratch=$2
  local report=$scratch/window-probe.log
  rm -f "$report"
  local status=0
  # A desktop session's own runtime directory.
  mkdir -p -m 700 "$scratch/runtime"
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen TARNVALE_MUSIC=true XDG_RUNTIME_DIR="$scratch/runtime" \
    LD_PRELOAD="$WINDOW_PROBE" TARNVALE_WINDOW_PROBE="$report" PATH="$root/usr/games:$PATH" \
    tarnvale </dev/null >"$scratch/play.out" 2>"$scratch/play.err" || status=$?
  [[ $status -eq 0 ]] || fail "the installed game ended with status $status"
  [[ -s $scratch/play.err ]] && fail "the installed game said: $(cat "$scratch/play.err")"
  local expected
  expected=$(printf '%s\n' "painted tarnvale::ui::frmNew" "click начать" "painted tarnvale::ui::frmTargame" \
    "txtGame Ты стоишь на улице. Мимо по дороге проносятся " \
    "module $root/usr/lib/games/tarnvale/libtarnvale_desktop.so")
  [[ $(cat "$report" 2>/dev/null) == "$expected" ]] \
    || fail "the installed windows did not open as expected:"$'\n'"$(cat "$report" 2>/dev/null)"
}

# hardening-check on the program and on the windows' module. The module's
# code calls no fortifiable C library function itself: its only such
# imports are memcpy and memmove, which the C++ library's strings reach
# through compiler built-ins that FORTIFY never wraps, so hardening-check
# finds "only unprotected functions" however it is built. For the module
# alone FORTIFY is therefore not asked of hardening-check; instead no other
# fortifiable function may be imported unprotected.
check_hardening() {
  local exe=$1 module=$2
  "$HARDENING_CHECK" "$exe" || fail "hardening-check rejects the program"
  "$HARDENING_CHECK" --nofortify "$module" || fail "hardening-check rejects the windows' module"
  local fortifiable unprotected
  fortifiable=$(nm -D --defined-only "$(ldconfig -p | awk '/libc\.so\.6 .*x86-64/ {print $NF; exit}')" \
    | sed -n 's/.* __\([a-z0-9_]*\)_chk@.*/\1/p' | sort -u)
  unprotected=$(nm -D --undefined-only "$module" | awk '{print $2}' | sed 's/@.*//' | sort -u \
    | comm -12 - <(echo "$fortifiable") | grep -v -x -e memcpy -e memmove || true)
  [[ -z $unprotected ]] || fail "the module calls fortifiable functions unprotected: $unprotected"
}

install_tree() {
  local build=$1 scratch=$2
  rm -rf "$scratch"
  "$CMAKE" --install "$build" --prefix "$scratch/usr" >/dev/null || die "cmake --install failed"
  check_tree "$scratch" /usr
}

deb_package() {
  local build=$1 scratch=$2
  rm -rf "$scratch"
  mkdir -p "$scratch"
  "$CPACK" --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log" >&2; die "cpack -G DEB failed"; }
  local debs=("$scratch"/tarnvale_"$VERSION"-1_*.deb)
  [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || die "cpack made no tarnvale_${VERSION}-1_*.deb"
  local deb=${debs[0]}

  # The control fields.
  local field expected actual
  while IFS='|' read -r field expected; do
    actual=$("$DPKG_DEB" -f "$deb" "$field")
    [[ $actual == "$expected" ]] || fail "$field is '$actual', not '$expected'"
  done <<EOF
Package|tarnvale
Version|$VERSION-1
Section|games
Architecture|$(dpkg --print-architecture)
EOF
  [[ $("$DPKG_DEB" -f "$deb" Maintainer) == *"<dev@tarnvale.example>" ]] || fail "Maintainer lacks the address"

  # Depends: the Qt libraries (versioned, as dpkg-shlibdeps finds them), the
  # C++ runtime and the fonts; each named once.
  local depends package
  depends=$("$DPKG_DEB" -f "$deb" Depends)
  echo "Depends: $depends"
  for package in libqt6widgets6 libqt6gui6 libqt6core6 libstdc++6 libc6 fonts-liberation2 fonts-dejavu-core; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] \
      || fail "Depends lacks $package"
  done
  [[ ", $depends," == *", libqt6core6 (>= 6."* ]] || fail "Depends does not ask for Qt 6 core at a version"
  [[ $(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | sort | uniq -d) == "" ]] \
    || fail "Depends names a package twice"

  # The contents: everything under /usr, owned by root, nothing from the
  # build machine.
  local listing
  listing=$("$DPKG_DEB" -c "$deb")
  local path
  for path in usr/games/tarnvale usr/lib/games/tarnvale/libtarnvale_desktop.so \
              usr/share/man/man6/tarnvale.6.gz usr/share/doc/tarnvale/changelog.Debian.gz \
              "usr/share/applications/$APP_ID.desktop" \
              "usr/share/metainfo/$APP_ID.metainfo.xml" "usr/share/icons/hicolor/scalable/apps/$APP_ID.svg" \
              "usr/share/icons/hicolor/48x48/apps/$APP_ID.png" usr/share/doc/tarnvale/copyright; do
    grep -q " \./$path\$" <<<"$listing" || fail "the package lacks /$path"
  done
  grep -v ' \./usr/' <<<"$listing" | grep -v ' \./$' && fail "the package has files outside /usr"
  awk '$2 != "root/root"' <<<"$listing" | grep . && fail "the package has files not owned by root"
  grep -E ' \./usr/local/|/build' <<<"$listing" && fail "the package has build paths"

  # A private module needs no ldconfig: no triggers, no maintainer scripts.
  local control
  control=$("$DPKG_DEB" --ctrl-tarfile "$deb" | tar -t)
  grep -E '(triggers|postinst|postrm|preinst|prerm)$' <<<"$control" \
    && fail "the package has maintainer scripts or triggers"

  # lintian: no error, no warning (informational notes are shown).
  "$LINTIAN" --fail-on error,warning --display-info --tag-display-limit 0 "$deb" 2>&1 \
    | grep -v 'running with root privileges' || true
  "$LINTIAN" --fail-on error,warning "$deb" >/dev/null 2>&1 || fail "lintian reports errors or warnings"

  # Unpacked into a scratch root, it is a working installation, hardened,
  # that opens the game window.
  dpkg-deb -x "$deb" "$scratch/root" || die "dpkg-deb -x failed"
  check_tree "$scratch/root" /usr
  check_hardening "$scratch/root/usr/games/tarnvale" "$scratch/root/usr/lib/games/tarnvale/libtarnvale_desktop.so"
  play_windows "$scratch/root" "$scratch"
}

mode=${1:-}
case $mode in
  validate)
    need DESKTOP_FILE_VALIDATE APPSTREAMCLI
    validate_sources "$2"
    ;;
  install)
    need CMAKE DESKTOP_FILE_VALIDATE APPSTREAMCLI
    install_tree "$2" "$3"
    ;;
  deb)
    # What is shipped is a hardened release build; a debug or sanitizer
    # build makes no package worth checking.
    if [[ $HARDENED != ON ]]; then
      echo "skipped: the package is checked from a hardened release build (TARNVALE_HARDEN=ON)"
      exit 77
    fi
    need CPACK DPKG_DEB DPKG_SHLIBDEPS DESKTOP_FILE_VALIDATE APPSTREAMCLI LINTIAN HARDENING_CHECK
    deb_package "$2" "$3"
    ;;
  *)
    die "usage: $0 validate|install|deb ..."
    ;;
esac
finish "$mode"
