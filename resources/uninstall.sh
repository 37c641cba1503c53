#!/bin/sh
# Removes Zaro Player, run by the uninstaller with administrator rights:
#   uninstall.sh REMOVE_APPLICATION REMOVE_MEDIA MEDIA_FOLDER
# REMOVE_APPLICATION and REMOVE_MEDIA are "1" or "0". The installation is
# found from this script's own place, PREFIX/share/zaro-player/uninstall.sh.
# A player installed from its Debian package is removed by the package
# manager (apt-get remove); one installed by `cmake --install`, file by file.
#
# The first line written says that the script runs; it then waits for the
# uninstaller's "go" on standard input (the uninstaller first asks a running
# player to quit), so that nothing is removed before the rights were granted
# and the player has stopped. Progress goes to standard output, one line per
# step; the script ends by closing it.
#
# The application is removed with the administrator rights; the media with
# the rights of the user who asked (PKEXEC_UID under pkexec), since the media
# folder comes from a setting any program of that user can write.

remove_application=$1
remove_media=$2
media_folder=$3

echo "Uninstalling Zaro Player."
read -r answer || answer=""
if [ "$answer" != "go" ]; then
  echo "Stopped: the uninstaller did not confirm."
  exit 1
fi

script_dir=$(cd "$(dirname "$0")" && pwd -P)
prefix=$(cd "$script_dir/../.." && pwd -P)
status=0

remove() {  # remove PATH: a file or a whole folder, when it is there
  if [ -e "$1" ] || [ -L "$1" ]; then
    if rm -rf -- "$1"; then
      echo "Removed $1"
    else
      echo "Could not remove $1"
      status=1
    fi
  fi
}

# The package that owns the installed player, when the package manager
# installed it (empty otherwise).
owning_package() {
  command -v dpkg-query >/dev/null 2>&1 || return 0
  dpkg-query -S "$1" 2>/dev/null | sed -n '1s/: .*//p' | sed 's/:.*//; s/,.*//'
}

if [ "$remove_application" = "1" ]; then
  package=$(owning_package "$prefix/bin/zaro-player")
  # Only an installation laid out as the build installs it is touched.
  if [ "$(basename "$script_dir")" != "zaro-player" ] || [ ! -d "$prefix/bin" ]; then
    echo "Not removing the application: $script_dir is not an installed Zaro Player."
    status=1
  elif [ -n "$package" ]; then
    # Installed from its package: the package manager removes what it
    # installed and keeps its records straight.
    echo "Removing the package $package."
    if DEBIAN_FRONTEND=noninteractive apt-get remove -y -q "$package" 2>&1; then
      echo "Removed the package $package"
    else
      echo "Could not remove the package $package"
      status=1
    fi
  else
    remove "$prefix/bin/zaro-player"
    remove "$prefix/bin/zaro-uninstaller"
    remove "$prefix/bin/zaro-service"
    for entry in tv.zaro.ZaroPlayer tv.zaro.ZaroPlayer.Uninstaller; do
      remove "$prefix/share/applications/$entry.desktop"
      for icon in "$prefix"/share/icons/hicolor/*/apps/"$entry".png \
                  "$prefix"/share/icons/hicolor/*/apps/"$entry".svg; do
        remove "$icon"
      done
    done
    remove "$prefix/share/metainfo/tv.zaro.ZaroPlayer.metainfo.xml"
    for page in zaro-player zaro-uninstaller zaro-service; do
      remove "$prefix/share/man/man1/$page.1.gz"
    done
    remove "$prefix/share/doc/zaro-player"
    remove "$prefix/share/doc/zaro-service"
    remove "$prefix/share/lintian/overrides/zaro-player"
    remove "$prefix/lib/mozilla/plugins/libzaroplugin.so"
    remove "$script_dir"
  fi
fi

if [ "$remove_media" = "1" ]; then
  # The media are the user's, and so are the rights they are removed with:
  # never the administrator's. Under pkexec the user is the one PKEXEC_UID
  # names; run any other way, the user running the script.
  media_user=${PKEXEC_UID:-$(id -u)}
  as_user=""
  case "$media_folder" in
    /*) ;;
    *) media_folder="" ;;
  esac
  case "$media_user" in
    "" | *[!0-9]*) media_user="" ;;
  esac
  entry=""
  [ -n "$media_user" ] && entry=$(getent passwd "$media_user")
  if [ -z "$media_folder" ]; then
    echo "Not removing the media: \"$3\" is not a media folder."
    status=1
  elif [ -z "$entry" ]; then
    echo "Not removing the media: no user account for uid ${PKEXEC_UID:-$(id -u)}."
    status=1
  elif [ "$media_user" != "$(id -u)" ] && [ "$(id -u)" != "0" ]; then
    echo "Not removing the media: cannot act as user $media_user."
    status=1
  elif [ "$media_user" != "$(id -u)" ] && ! command -v setpriv >/dev/null 2>&1; then
    echo "Not removing the media: setpriv is missing, so they cannot be removed as user $media_user."
    status=1
  else
    if [ "$media_user" != "$(id -u)" ]; then
      gid=$(echo "$entry" | cut -d: -f4)
      as_user="setpriv --reuid=$media_user --regid=$gid --init-groups --reset-env --"
    fi
    # Neither the user's home folder nor the HOME the script runs with is
    # ever a media folder.
    home=$(echo "$entry" | cut -d: -f6)
    # Everything below runs with the user's rights only.
    (cd / && $as_user /bin/sh -s -- "$media_folder" "$home" "$HOME") <<'AS_USER' || status=1
folder=$1
if [ -L "$folder" ]; then
  # A link is removed as a link; what it points to is left alone.
  if rm -f -- "$folder"; then
    echo "Removed the link $folder (what it points to is left alone)."
    exit 0
  fi
  echo "Could not remove $folder"
  exit 1
fi
if [ ! -e "$folder" ]; then
  echo "No media folder at $folder."
  exit 0
fi
if [ ! -d "$folder" ]; then
  echo "Not removing the media: \"$folder\" is not a folder."
  exit 1
fi
if [ "$(stat -c %u -- "$folder")" != "$(id -u)" ]; then
  echo "Not removing the media: \"$folder\" belongs to another user."
  exit 1
fi
resolved=$(cd -- "$folder" 2>/dev/null && pwd -P)
if [ -z "$resolved" ] || [ "$resolved" = "/" ]; then
  echo "Not removing the media: \"$folder\" is not a media folder."
  exit 1
fi
for home in "$2" "$3"; do
  [ -n "$home" ] && [ -d "$home" ] && home=$(cd -- "$home" 2>/dev/null && pwd -P)
  if [ "$resolved" = "$home" ]; then
    echo "Not removing the media: \"$folder\" is not a media folder."
    exit 1
  fi
done
if rm -rf -- "$resolved"; then
  echo "Removed $resolved"
else
  echo "Could not remove all of $resolved"
  exit 1
fi
AS_USER
  fi
fi

echo "Done."
exit $status
