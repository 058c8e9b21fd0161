#!/usr/bin/env bash
# The headless program: its output, its exit statuses and the run log it leaves.
set -u
bin=$1
ws=$(mktemp -d)
trap 'rm -rf "$ws"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

src=$(cd "$(dirname "$0")/../.." && pwd)
mkdir -p "$ws"/{contactos,encomendas,saida,log,bd}
"$src/scripts/create-company-db" "$ws/bd" QF >/dev/null || fail "no QF database"
"$src/scripts/create-company-db" "$ws/bd" SR >/dev/null || fail "no SR database"
cat > "$ws/Quintaflor.vek" <<INI
[Contactos]
Directoria Entrada=$ws/contactos
Ficheiro Entrada=*.xml
[Encomenda]
Directoria Entrada=$ws/encomendas
Ficheiro Entrada=*.xml
Directoria Saida=$ws/saida
[Log]
Directoria=$ws/log
[SQL]
Servidor=$ws/bd
[QF]
NomeSQL=QF
[SR]
NomeSQL=SR
INI

cd "$ws"
out=$("$bin/marelo-sync" Quintaflor.vek) || fail "empty run exited $?"
none=$'Não existem alterações a contactos para enviar.'
expected=$'Enviar contactos alterados\n'"$none"$'\n'"$none"$'\nImportar Contactos\nNão existem contactos para importar\nImportar Encomendas\nSincronização terminada'
[ "$out" = "$expected" ] || fail "unexpected output: $out"
log=$(ls log/LOG_*.txt) || fail "no run log"
[ "$(grep -c 'Sincronização terminada' "$log")" = 2 ] || fail "log lacks the closing lines"
grep -q '\] Importar encomendas' "$log" || fail "log lacks Importar encomendas"

"$bin/marelo-sync" >/dev/null 2>&1; [ $? = 2 ] || fail "no argument must exit 2"
"$bin/marelo-sync" a b >/dev/null 2>&1; [ $? = 2 ] || fail "two arguments must exit 2"

rmdir encomendas
out=$("$bin/marelo-sync" "$ws/Quintaflor.vek"); rc=$?
[ $rc = 1 ] || fail "a step error must exit 1, got $rc"
grep -q 'Na função ImportarEncomendas do frmMarelo' <<<"$out" || fail "step error not shown: $out"

echo "1 passed, 0 failed"
