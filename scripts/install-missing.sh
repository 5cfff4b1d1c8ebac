# Sourced by the set-up scripts: install_missing PACKAGE... installs from
# Debian's packages those not installed yet, with one query for all of them so
# that a second start costs next to nothing. Uses sudo when not run as root.
install_missing() {
  local installed missing=() package sudo_cmd=()
  installed=$(dpkg-query -W -f='${Package} ${Status}\n' "$@" 2>/dev/null | grep " install ok installed$" | cut -d' ' -f1 || true)
  for package in "$@"; do
    grep -qx "$package" <<<"$installed" || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "Installing: ${missing[*]}"
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q || exit 1
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" || exit 1
}
