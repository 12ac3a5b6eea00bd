#!/bin/sh
# Installs the build into a temporary prefix and uses the installed copy as a
# user would: the command line's main job, the driver setup (twice), and the
# updater with newer files, with the application running, with no
# installation, and with bad input (an update folder without one of its files,
# a damaged manifest, a prefix the user may not write).
#   install_test.sh BUILD_DIR SOURCE_DIR
set -eu
BUILD=$(cd "$1" && pwd)
SOURCE=$(cd "$2" && pwd)
T=$(mktemp -d)
HOLDER_PID=""
cleanup() {
  # INSTALL_TEST_LOGS=DIR keeps the tools' output for a look.
  [ -n "${INSTALL_TEST_LOGS:-}" ] && cp "$T"/*.log "$T"/home/*.log "$INSTALL_TEST_LOGS"/ 2>/dev/null
  [ -n "$HOLDER_PID" ] && kill "$HOLDER_PID" 2>/dev/null
  chmod -R u+w "$T" 2>/dev/null || true
  rm -rf "$T"
}
trap cleanup EXIT
chmod 755 "$T"

export HOME="$T/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$T/run"
export SONAVEX_STANDARD_PREFIXES="$T/nowhere" SONAVEX_UDEV_RULES_DIR="$T/udev"
unset DISPLAY WAYLAND_DISPLAY SONAVEX_DRIVERS SONAVEX_CVUSB_INF SONAVEX_DATA_DIR SONAVEX_OPENER
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$T/work"
chmod 700 "$XDG_RUNTIME_DIR"
P="$T/prefix"
HOME_DIR="$P/lib/sonavex"
failures=0
passes=0

pass() { passes=$((passes + 1)); echo "ok: $*"; }
fail() { failures=$((failures + 1)); echo "FAIL: $*"; }
expect() { # expect DESCRIPTION COMMAND...
  what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
fails() { if "$@"; then return 1; else return 0; fi; }
contains() { grep -qF -- "$2" "$1"; }
ends_with_marker() { tail -c 32 "$1" | grep -qF "$2"; }
# The installed command line still composes: never half an update.
cli_runs() {
  (cd "$T/work" && "$P/bin/sonavex-cli" compose --duration 10 -o check.bgm >/dev/null 2>&1) &&
    [ -s "$T/work/check.bgm" ]
}

echo "== install into $P"
cmake --install "$BUILD" --prefix "$P" >"$T/install.log"
for f in bin/sonavex-cli bin/sonavex-drvsetup bin/sonavex-updater lib/libqm3middle.so \
  lib/sonavex/sonavex-cli lib/sonavex/libcvusb.so lib/sonavex/usbcvmid.inf \
  lib/sonavex/QM3RHY.toc lib/sonavex/QM3MEL.toc lib/sonavex/install-manifest.txt \
  include/qm3middle/qm3middle.h include/qm3middle/platform/host_window.h lib/pkgconfig/qm3middle.pc \
  lib/udev/rules.d/70-sonavex-cvusb.rules share/icons/hicolor/scalable/apps/sonavex.svg; do
  [ -e "$P/$f" ] || fail "installed $f"
done
expect "the content and style bank are installed, without work files" \
  sh -c "ls '$HOME_DIR'/p_*.dat '$HOME_DIR'/styles/style_*.mid >/dev/null && ! ls '$HOME_DIR'/body_mid.dat 2>/dev/null"
expect "the udev rule names the module of the setup information" \
  contains "$P/lib/udev/rules.d/70-sonavex-cvusb.rules" 'ATTR{idVendor}=="2f6c", ATTR{idProduct}=="0101"'
expect "no installed binary looks into the build folder" \
  sh -c "! readelf -d '$HOME_DIR/sonavex-cli' '$P/lib/libqm3middle.so' '$HOME_DIR/libcvusb.so' | grep -F '$BUILD'"
expect "the install is recorded for the updater" \
  contains "$XDG_CONFIG_HOME/sonavex/install.ini" "Manifest=$(realpath "$HOME_DIR/install-manifest.txt")"

echo "== the installed command line's main job"
cd "$T/work"
if "$P/bin/sonavex-cli" compose --duration 10 -o song.bgm >main.log 2>&1 &&
  "$P/bin/sonavex-cli" convert song.bgm --smf song.mid --wav song.wav >>main.log 2>&1; then
  pass "compose and export from the prefix"
else
  cat main.log
  fail "compose and export from the prefix"
fi
expect "the exported MIDI file and recording are real" \
  sh -c "head -c 4 song.mid | grep -q MThd && head -c 4 song.wav | grep -q RIFF && [ \$(stat -c %s song.wav) -gt 100000 ]"

expect "the installed folder is left as installed: work files go to the cache" \
  sh -c "! [ -e '$HOME_DIR/work' ] && [ -d '$XDG_CACHE_HOME/sonavex/work' ]"

echo "== a C host builds against the installed middleware through pkg-config"
# (In a sanitizer build the library brings its runtime along.)
if cc -o abi_check "$SOURCE/middleware/tests/abi/abi_check.c" \
  $(PKG_CONFIG_PATH="$P/lib/pkgconfig" pkg-config --cflags --libs qm3middle) \
  -Wl,-rpath,"$P/lib" && ASAN_OPTIONS="verify_asan_link_order=0:${ASAN_OPTIONS:-}" ./abi_check; then
  pass "pkg-config build and run"
else
  fail "pkg-config build and run"
fi
# A C++ host that waits on its host window's descriptor for notifications
# needs the platform library too: pkg-config's flags alone must do.
if c++ -o notify_host "$SOURCE/packaging/tests/notify_host.cpp" \
  $(PKG_CONFIG_PATH="$P/lib/pkgconfig" pkg-config --cflags --libs qm3middle) \
  -Wl,-rpath,"$P/lib" && ASAN_OPTIONS="verify_asan_link_order=0:${ASAN_OPTIONS:-}" ./notify_host; then
  pass "pkg-config host with notifications builds and is notified"
else
  fail "pkg-config host with notifications builds and is notified"
fi

echo "== drvsetup, twice"
cd "$HOME"
"$P/bin/sonavex-drvsetup" --yes >drv1.log 2>&1 || true
"$P/bin/sonavex-drvsetup" --yes >drv2.log 2>&1 || true
expect "drvsetup reports success both times" sh -c "grep -q 'SETUP Completed.' drv1.log && grep -q 'SETUP Completed.' drv2.log"
expect "the driver list holds one cvusb entry, the installed driver" \
  sh -c "[ \$(grep -c 'libcvusb.so' '$XDG_CONFIG_HOME/sonavex/drivers.ini') = 1 ] && grep -qF '=$(realpath "$HOME_DIR/libcvusb.so")' '$XDG_CONFIG_HOME/sonavex/drivers.ini'"
expect "the setup information is registered for the user" cmp -s "$P/lib/sonavex/usbcvmid.inf" "$XDG_DATA_HOME/sonavex/usbcvmid.inf"
expect "the udev rule is installed once, asked only the first time" \
  sh -c "cmp -s '$P/lib/udev/rules.d/70-sonavex-cvusb.rules' '$T/udev/70-sonavex-cvusb.rules' && grep -q 'udev rule' drv1.log && ! grep -q 'udev rule' drv2.log"

echo "== drvsetup as a user: the udev rule through pkexec"
# A user who may not write the rules folder: drvsetup asks pkexec to run its
# own rule step with administrator rights. The stand-in pkexec records how it
# was called and runs the command, writing where the administrator's rules go.
U="$T/user"
mkdir -p "$U/home" "$U/bin" "$U/rules" "$U/admin-rules"
printf '#!/bin/sh\necho "$*" >"%s/pkexec.args"\nexec env SONAVEX_UDEV_RULES_DIR="%s/admin-rules" "$@"\n' \
  "$U" "$U" >"$U/bin/pkexec"
chmod 755 "$U/bin/pkexec"
chmod 777 "$U" "$U/home" "$U/admin-rules"
chmod 555 "$U/rules"
if [ "$(id -u)" = 0 ]; then as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"; else as_user=""; fi
(cd "$U/home" && $as_user env HOME="$U/home" XDG_CONFIG_HOME="$U/home/.config" \
  XDG_DATA_HOME="$U/home/.local/share" PATH="$U/bin:$PATH" SONAVEX_UDEV_RULES_DIR="$U/rules" \
  "$P/bin/sonavex-drvsetup" --yes >"$T/drv-user.log" 2>&1) || true
expect "drvsetup as a user reports success" contains "$T/drv-user.log" "SETUP Completed."
expect "pkexec ran drvsetup's own rule step" \
  contains "$U/pkexec.args" "$(realpath "$HOME_DIR/drvsetup") --install-udev-rule"
expect "and the rule it wrote is the installed one" \
  cmp -s "$P/lib/udev/rules.d/70-sonavex-cvusb.rules" "$U/admin-rules/70-sonavex-cvusb.rules"

# An update folder as the media carry it: every replaceable file, flat, each
# a newer build (here: the installed file with a marker appended).
make_media() { # make_media FOLDER MARKER
  mkdir -p "$1"
  grep -E '^(program|library|driver) ' "$HOME_DIR/install-manifest.txt" | while read -r role path; do
    cp "$P/$path" "$1/"
    printf '%s' "$2" >>"$1/$(basename "$path")"
  done
}
updater() { # updater LOG [env...]: runs the installed updater in the current folder
  log=$1
  shift
  env "$@" "$P/bin/sonavex-updater" --yes >"$log" 2>&1
}
replaced_with() { # every replaceable file carries MARKER
  grep -E '^(program|library|driver) ' "$HOME_DIR/install-manifest.txt" | while read -r role path; do
    ends_with_marker "$P/$path" "$1" || exit 1
  done
}

echo "== updater with newer files"
make_media "$T/media1" "update-marker-one"
cd "$T/media1"
expect "the update succeeds" updater "$T/up1.log"
expect "the success box is shown" contains "$T/up1.log" "SONAVEXを更新しました"
expect "programs, libraries and driver are replaced" replaced_with "update-marker-one"
expect "the updated copy runs" cli_runs

echo "== updater starts the update package beside it"
make_media "$T/media2" "update-marker-two"
printf 'package' >"$T/media2/SONAVEX update.deb"
printf '#!/bin/sh\necho "$1" >"%s/opened"\n' "$T" >"$T/opener"
chmod +x "$T/opener"
cd "$T/media2"
expect "the update with a package succeeds" updater "$T/up2.log" SONAVEX_OPENER="$T/opener"
expect "the box asks to wait for the package installer" contains "$T/up2.log" "このウィンドウは、InstallShield ウィザードが終了してから閉じてください"
sleep 1
expect "the opener got the package" contains "$T/opened" "SONAVEX update.deb"

echo "== updater while the application runs"
make_media "$T/media3" "update-marker-three"
mkfifo "$T/hold"
"$BUILD/tools/instance_lock_holder" "$HOME_DIR/sonavex" <"$T/hold" >"$T/holder.log" &
HOLDER_PID=$!
exec 9>"$T/hold"
sleep 1
cd "$T/media3"
expect "the update is refused" fails updater "$T/up3.log"
expect "the error box says why" sh -c "grep -q 'SONAVEXが見つかりませんでした' '$T/up3.log' && grep -q 'running from this installation' '$T/up3.log'"
expect "nothing was replaced" replaced_with "update-marker-two"
exec 9>&-
wait "$HOLDER_PID" || true
HOLDER_PID=""
expect "once the application ends the same update goes through" updater "$T/up3b.log"
expect "and replaces the files" replaced_with "update-marker-three"

echo "== updater with no installation"
cd "$T/media3"
expect "nothing found" fails updater "$T/up4.log" XDG_CONFIG_HOME="$T/empty-config"
expect "the not-found box" sh -c "grep -q 'SONAVEXが見つかりませんでした' '$T/up4.log' && grep -q 'No installation was found' '$T/up4.log'"

echo "== bad input"
make_media "$T/media5" "update-marker-five"
rm "$T/media5/libqm3middle.so"
cd "$T/media5"
expect "an update folder without the library is refused" fails updater "$T/up5.log"
expect "and says which file is missing" contains "$T/up5.log" "lacks libqm3middle.so; nothing was changed"
expect "nothing was replaced" replaced_with "update-marker-three"
expect "the installed copy still runs" cli_runs

make_media "$T/media6" "update-marker-six"
cp "$HOME_DIR/install-manifest.txt" "$T/manifest.good"
printf 'sonavex-install-manifest 1\nprogram ../../../etc/passwd\n' >"$HOME_DIR/install-manifest.txt"
cd "$T/media6"
expect "a damaged manifest is refused" fails updater "$T/up6.log"
expect "and named" contains "$T/up6.log" "install-manifest.txt is damaged (line 2"
cp "$T/manifest.good" "$HOME_DIR/install-manifest.txt"
expect "nothing was replaced" replaced_with "update-marker-three"
expect "the installed copy still runs" cli_runs

# A prefix the user may not write: as the administrator, the updater runs as
# an unprivileged user; otherwise the prefix's folders lose their write bits.
if [ "$(id -u)" = 0 ]; then
  chmod -R a+rX "$T/home" "$T/media6"
  as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
  chmod a-w "$P/lib" "$HOME_DIR"
  as_user=""
fi
cd "$T/media6"
expect "an unwritable prefix is refused" sh -c "! $as_user env '$P/bin/sonavex-updater' --yes >'$T/up7.log' 2>&1"
chmod u+w "$P/lib" "$HOME_DIR"
expect "with the reason" sh -c "grep -q 'SONAVEXが見つかりませんでした' '$T/up7.log' && grep -q 'Permission denied; nothing was changed' '$T/up7.log'"
expect "nothing was replaced" replaced_with "update-marker-three"
expect "no staged files are left behind" sh -c "! ls -a '$P/lib' '$HOME_DIR' | grep -q '\\.update-'"
expect "the installed copy still runs" cli_runs

echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
