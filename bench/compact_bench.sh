#!/bin/sh
# The compaction of a 1 GB database through the launcher ("pezolva compact",
# which also checks the copy and swaps it in) against SQLite's own
# VACUUM INTO of the same file plus the launcher's start ("pezolva --help").
# Both write a synced file.  Run by hand, from the build folder's parent:
#   bench/compact_bench.sh build [WORK_FOLDER] [RUNS]
set -eu
BUILD=$(cd "$1" && pwd)
W=${2:-$(mktemp -d)}
RUNS=${3:-3}
P="$BUILD/apps/pezolva/pezolva"
mkdir -p "$W/proj"
export XDG_CONFIG_HOME="$W/config" PEZOLVA_PASSWORD=""
if [ ! -f "$W/proj/base.mdb" ]; then
  echo "a construir $W/proj/base.mdb (1 GB)..."
  sqlite3 "$W/proj/base.mdb" "create table t (id integer primary key, a text, b blob);
    with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000000)
    insert into t (a, b) select hex(randomblob(60)), randomblob(900) from n;
    delete from t where id % 10 = 0;"
fi
"$P" start "$W/proj" bench base.mdb --answer nao-fazer >/dev/null
ls -l "$W/proj/base.mdb"
agora() { date +%s.%N; }
rm -f "$W/razoes"
for i in $(seq "$RUNS"); do
  rm -f "$W"/proj/base2*.mdb "$W/v.mdb"; sync
  t0=$(agora); "$P" compact --project bench base.mdb >/dev/null; t1=$(agora)
  rm -f "$W"/proj/base2*.mdb; sync
  t2=$(agora); "$P" --help >/dev/null; sqlite3 "$W/proj/base.mdb" "VACUUM INTO '$W/v.mdb'"; t3=$(agora)
  echo "$t0 $t1 $t2 $t3" | awk '{c=$2-$1; v=$4-$3; printf "compact %.2f s   VACUUM INTO + arranque %.2f s   razão %.2f\n", c, v, c/v}' |
    tee -a "$W/razoes"
done
sort -n -k11 "$W/razoes" | awk '{r[NR]=$11} END {printf "mediana das razões: %.2f (%d execuções; carga %s)\n", r[int((NR+1)/2)], NR, "'"$(cut -d' ' -f1-3 /proc/loadavg)"'"}'
