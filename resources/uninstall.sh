#!/bin/sh
# Removes Zaro Player, run by the uninstaller with administrator rights:
#   uninstall.sh REMOVE_APPLICATION REMOVE_MEDIA MEDIA_FOLDER
# REMOVE_APPLICATION and REMOVE_MEDIA are "1" or "0". The installation is
# found from this script's own place, PREFIX/share/zaro-player/uninstall.sh.
#
# The first line written says that the script runs; it then waits for the
# uninstaller's "go" on standard input (the uninstaller first asks a running
# player to quit), so that nothing is removed before the rights were granted
# and the player has stopped. Progress goes to standard output, one line per
# step; the script ends by closing it.

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

if [ "$remove_application" = "1" ]; then
  # Only an installation laid out as the build installs it is touched.
  if [ "$(basename "$script_dir")" != "zaro-player" ] || [ ! -d "$prefix/bin" ]; then
    echo "Not removing the application: $script_dir is not an installed Zaro Player."
    status=1
  else
    remove "$prefix/bin/zaro-player"
    remove "$prefix/share/applications/zaro-player.desktop"
    remove "$prefix/lib/mozilla/plugins/libzaroplugin.so"
    remove "$prefix/bin/zaro-uninstaller"
    remove "$script_dir"
  fi
fi

if [ "$remove_media" = "1" ]; then
  # The media folder is a folder of its own: never the root, the home
  # folder or a relative path.
  case "$media_folder" in
    /*) ;;
    *) media_folder="" ;;
  esac
  resolved=""
  if [ -n "$media_folder" ] && [ ! -e "$media_folder" ]; then
    echo "No media folder at $media_folder."
    media_folder=""
    resolved="-"
  fi
  [ -n "$media_folder" ] && [ -d "$media_folder" ] && resolved=$(cd "$media_folder" && pwd -P)
  # Under pkexec the home folder is the one of the user who asked.
  home=$HOME
  [ -n "$PKEXEC_UID" ] && home=$(getent passwd "$PKEXEC_UID" | cut -d: -f6)
  [ -n "$home" ] && [ -d "$home" ] && home=$(cd "$home" && pwd -P)
  if [ -z "$resolved" ] || [ "$resolved" = "/" ] || [ "$resolved" = "$home" ]; then
    echo "Not removing the media: \"$3\" is not a media folder."
    status=1
  elif [ "$resolved" != "-" ]; then
    remove "$resolved"
  fi
fi

echo "Done."
exit $status
