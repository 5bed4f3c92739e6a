# Sourced by the end-to-end tests.
# hwmon_fixture DIR: a hwmon tree in DIR whose label reads "61° · 1500": a
# coretemp package sensor at 61.5 °C and a thinkpad fan at 1500 rpm.
hwmon_fixture() {
  mkdir -p "$1/hwmon0" "$1/hwmon1"
  echo coretemp > "$1/hwmon0/name"
  echo 61500 > "$1/hwmon0/temp1_input"
  echo "Package id 0" > "$1/hwmon0/temp1_label"
  echo thinkpad > "$1/hwmon1/name"
  echo 1500 > "$1/hwmon1/fan1_input"
}
