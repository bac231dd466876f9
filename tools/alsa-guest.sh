#!/usr/bin/env bash
# Runs a command in a QEMU guest on Debian 12's stock kernel with the ALSA sequencer
# loaded (snd-seq, snd-seq-dummy, snd-virmidi, snd-hrtimer), so that the MIDI backend
# meets the real kernel rather than our own bus.
#
#   tools/alsa-guest.sh [--shared DIR] [--] COMMAND [ARG...]
#
# The guest sees this machine's root read-only and DIR (default: the build-release
# folder) writable at the same path, and runs COMMAND as root, chrooted there, in the
# current folder. Its /tmp is its own, with the folders of this run that lie below the
# machine's /tmp kept in view. The exit status is COMMAND's; it is not 0 when
# the guest cannot boot, times out or finds no sequencer: this never skips.
#
# Environment: VANTREL_GUEST_DIR (kernel and initramfs cache, default build-guest),
# VANTREL_GUEST_TIMEOUT (seconds, default 1800), VANTREL_GUEST_CPUS (default 4),
# VANTREL_GUEST_MEMORY (MiB, default 4096); variables named VANTREL_* and QT_* are
# passed into the guest.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
shared="$repo/build-release"
while [ $# -gt 0 ]; do
  case "$1" in
    --shared) shared=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--shared DIR] [--] COMMAND [ARG...]" >&2; exit 2; }
mkdir -p "$shared"
shared=$(cd "$shared" && pwd)
case "$shared" in *[[:space:]]*) echo "alsa-guest: the shared folder's path holds a space" >&2; exit 2 ;; esac

cache=${VANTREL_GUEST_DIR:-$repo/build-guest}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
log() { echo "alsa-guest: $*" >&2; }
fail() { log "$*"; exit 1; }

for tool in qemu-system-x86_64 busybox depmod cpio xz apt-get dpkg-deb aconnect; do
  command -v "$tool" >/dev/null || fail "$tool is missing (tools/deps.sh installs it)"
done

# The stock kernel, unpacked (never installed), with its module index.
kernel_package() {
  apt-cache depends linux-image-amd64 2>/dev/null \
    | sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -n 1
}
tree="$cache/kernel"
if [ ! -f "$tree/ready" ]; then
  package=$(kernel_package)
  if [ -z "$package" ]; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq >&2 || true
    package=$(kernel_package)
  fi
  [ -n "$package" ] || fail "no Debian kernel package is known to apt (apt-get update?)"
  log "fetching $package"
  rm -rf "$tree" "$cache"/download
  mkdir -p "$cache/download" "$tree"
  # apt's sandbox user cannot write into a root-owned build folder; the download is
  # checked by apt either way.
  (cd "$cache/download" && apt-get download -o APT::Sandbox::User=root "$package") >&2
  dpkg-deb -x "$cache"/download/*.deb "$tree/root"
  rm -rf "$cache/download"
  version=$(ls "$tree/root/lib/modules")
  depmod -b "$tree/root" "$version"
  # Direct boot of the uncompressed kernel (PVH) is the fastest way in under emulation:
  # the vmlinuz is an xz stream after its set-up code.
  vmlinuz="$tree/root/boot/vmlinuz-$version"
  offset=$(LC_ALL=C grep -abo -m 1 -P '\xFD7zXZ\x00' "$vmlinuz" | head -n 1 | cut -d: -f1 || true)
  if [ -n "$offset" ]; then
    tail -c +"$((offset + 1))" "$vmlinuz" | xz -dc --single-stream > "$tree/vmlinux" 2>/dev/null || true
  fi
  if [ "$(head -c 4 "$tree/vmlinux" 2>/dev/null | od -An -tx1 | tr -d ' ')" != "7f454c46" ]; then
    log "no uncompressed kernel in $vmlinuz; booting the compressed one"
    cp "$vmlinuz" "$tree/vmlinux"
  fi
  echo "$version" > "$tree/ready"
fi
version=$(cat "$tree/ready")
modules="$tree/root/lib/modules/$version"

# The initramfs: busybox, the modules that reach the 9p shares, and an init that
# mounts them and runs the command chrooted.
initrd="$cache/initrd-$version.gz"
if [ ! -f "$initrd" ] || [ "$0" -nt "$initrd" ]; then
  staging=$(mktemp -d)
  trap 'rm -rf "$staging"' EXIT
  mkdir -p "$staging"/{bin,proc,sys,dev,newroot,modules}
  cp "$(command -v busybox)" "$staging/bin/busybox"
  # Dependencies first, each module once.
  order=()
  add_module() {
    local path=$1 dep
    for dep in $(sed -n "s#^$path: ##p" "$modules/modules.dep"); do add_module "$dep"; done
    case " ${order[*]-} " in *" $path "*) ;; *) order+=("$path") ;; esac
  }
  for name in virtio_pci 9pnet_virtio 9p; do
    path=$(grep -E "/$name\.ko(\.[a-z]+)?:" "$modules/modules.dep" | cut -d: -f1 | head -n 1)
    if [ -z "$path" ]; then
      grep -qE "/$name\.ko" "$modules/modules.builtin" || fail "module $name is neither built nor built in"
      continue
    fi
    add_module "$path"
  done
  : > "$staging/modules/order"
  for path in "${order[@]}"; do
    cp "$modules/$path" "$staging/modules/"
    basename "$path" >> "$staging/modules/order"
  done
  cat > "$staging/init" <<'EOF'
#!/bin/busybox sh
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /modules/order); do insmod "/modules/$m" || echo "alsa-guest: insmod $m failed"; done
shared=$(sed -n 's/.*vantrel\.shared=\([^ ]*\).*/\1/p' /proc/cmdline)
opts=trans=virtio,version=9p2000.L,msize=512000
keep=$(sed -n 's/.*vantrel\.keep=\([^ ]*\).*/\1/p' /proc/cmdline | tr ',' ' ')
# The guest's /tmp is its own; the machine's folders below /tmp that the run needs
# (a checkout or build there) stay in view beneath it.
mounted() {
  mount -t 9p -o "$opts,ro,cache=loose" root /newroot || return 1
  mkdir -p /keep
  mount -o bind /newroot/tmp /keep || return 1
  mount -t tmpfs tmp /newroot/tmp || return 1
  for top in $keep; do
    mkdir -p "/newroot$top" && mount -o bind "/keep${top#/tmp}" "/newroot$top" || return 1
  done
  mount -t 9p -o "$opts,cache=mmap" shared "/newroot$shared"
}
if mounted; then
  mount -t proc proc /newroot/proc
  mount -t sysfs sys /newroot/sys
  mount -t devtmpfs dev /newroot/dev
  mkdir -p /newroot/dev/pts /newroot/dev/shm
  mount -t devpts devpts /newroot/dev/pts
  mount -t tmpfs tmp /newroot/dev/shm
  mount -t tmpfs run /newroot/run
  echo "alsa-guest: up"
  chroot /newroot /bin/sh "$shared/.alsa-guest/run.sh"
  echo $? > "/newroot$shared/.alsa-guest/status"
  sync
  umount "/newroot$shared"
else
  echo "alsa-guest: the shares do not mount"
fi
poweroff -f
EOF
  chmod +x "$staging/init"
  (cd "$staging" && find . | cpio -o -H newc --quiet | gzip -1) > "$initrd.part"
  mv "$initrd.part" "$initrd"
  rm -rf "$staging"
  trap - EXIT
fi

# What the guest runs, inside the chroot.
state="$shared/.alsa-guest"
rm -rf "$state"
mkdir -p "$state"
{
  echo 'set -u'
  echo "export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
  echo 'export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime LANG=C.UTF-8'
  echo 'mkdir -p "$HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"'
  echo 'ip link set lo up 2>/dev/null || true'
  while IFS='=' read -r name _; do
    case "$name" in VANTREL_GUEST_*) ;; VANTREL_*|QT_*) printf 'export %s=%q\n' "$name" "${!name}" ;; esac
  done < <(env)
  printf 'modprobe -d %q -a snd-seq snd-seq-dummy snd-virmidi snd-hrtimer || exit 97\n' "$tree/root"
  echo '[ -c /dev/snd/seq ] || { echo "alsa-guest: no /dev/snd/seq in the guest" >&2; exit 98; }'
  echo 'echo "alsa-guest: sequencer loaded ($(uname -r)):"; aconnect -l'
  printf 'cd %q || exit 96\n' "$PWD"
  printf 'exec'
  printf ' %q' "$@"
  echo
} > "$state/run.sh"

# The folders directly below /tmp that hold what the guest reads: the shared folder,
# the current folder, the kernel's tree and this checkout.
keep=""
for path in "$shared" "$PWD" "$cache" "$repo"; do
  case "$path" in
    /tmp/?*) rest=${path#/tmp/}; top="/tmp/${rest%%/*}" ;;
    *) continue ;;
  esac
  case ",$keep," in *",$top,"*) ;; *) keep="${keep:+$keep,}$top" ;; esac
done
case "$keep" in *[[:space:]]*) fail "a folder below /tmp holds a space: $keep" ;; esac

accel="tcg,thread=multi"
# The kvm on some machines here is a PVM one that cannot boot a stock kernel.
if [ -w /dev/kvm ] && [ ! -d /sys/module/kvm_pvm ]; then accel=kvm; fi
log "booting $version ($accel), sharing $shared"
start=$(date +%s)
set +e
timeout --foreground -k 10 "${VANTREL_GUEST_TIMEOUT:-1800}" \
  qemu-system-x86_64 -accel "$accel" -cpu max -smp "${VANTREL_GUEST_CPUS:-4}" \
    -m "${VANTREL_GUEST_MEMORY:-4096}" -no-reboot -display none -monitor none -serial stdio -nic none \
    -kernel "$tree/vmlinux" -initrd "$initrd" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 vantrel.shared=$shared${keep:+ vantrel.keep=$keep}" \
    -virtfs local,path=/,mount_tag=root,security_model=none,readonly=on,multidevs=remap \
    -virtfs "local,path=$shared,mount_tag=shared,security_model=none,multidevs=remap" </dev/null
qemu=$?
set -e
log "guest ran $(( $(date +%s) - start )) s"
[ "$qemu" -eq 124 ] && fail "the guest did not finish within ${VANTREL_GUEST_TIMEOUT:-1800} s"
[ -f "$state/status" ] || fail "the guest did not boot to its command (qemu status $qemu)"
status=$(cat "$state/status")
case "$status" in
  97) fail "the sequencer modules do not load in the guest" ;;
  98) fail "the guest has no sequencer" ;;
esac
exit "$status"
