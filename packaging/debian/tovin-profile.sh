# Gives each user Tovin's per-user installation directory at the first login after installing.
if [ -x /usr/bin/tovin-user-setup ] && [ -n "${HOME:-}" ]; then
  /usr/bin/tovin-user-setup --quiet 2>/dev/null || true
fi
