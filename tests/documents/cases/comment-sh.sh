#!/bin/sh
# shell commentt
echo "Hello $USER and ${HOMEE} there" # trailing notee
x=$#
cat <<EOF
heredoc textt
EOF
printf 'single %s quotte\n' "$x"
