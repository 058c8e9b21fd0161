#!/usr/bin/env bash
# The headless program: its output, its exit statuses and the run log it leaves.
set -u
bin=$1
ws=$(mktemp -d)
trap 'rm -rf "$ws"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

src=$(cd "$(dirname "$0")/../.." && pwd)
rmdir "$ws"
"$src/scripts/make-workspace" "$ws" 0 0 0 >/dev/null || fail "no workspace"
cd "$ws"
# The first run sends the demonstration's contacts; the second has nothing to do.
"$bin/marelo-sync" Quintaflor.vek >/dev/null || fail "first run exited $?"
rm log/LOG_*.txt
out=$("$bin/marelo-sync" Quintaflor.vek) || fail "empty run exited $?"
none=$'Não existem alterações a contactos para enviar.'
expected=$'Enviar contactos alterados\n'"$none"$'\n'"$none"$'\nImportar Contactos\nNão existem contactos para importar\nImportar Encomendas\nResumo: contactos enviados SR 0, QF 0; contactos adicionados 0, já existentes 0, recusados 0; encomendas gravadas 0, já gravadas 0, recusadas 0; erros 0\nSincronização terminada'
[ "$out" = "$expected" ] || fail "unexpected output: $out"
log=$(ls log/LOG_*.txt) || fail "no run log"
stamp='^\[[0-9]{2}-[0-9]{2}-[0-9]{4}\]\[[0-9]{2}:[0-9]{2}:[0-9]{2}\] '
[ "$(grep -c -v -E "$stamp" "$log")" = 0 ] || fail "a log line without its time stamp"
[ "$(sed -E "s/$stamp//" "$log" | tr -d '\r')" = "Inicio da sincronização"$'\n'"${expected/Importar Encomendas/Importar encomendas}"$'\n'"Sincronização terminada" ] ||
  fail "unexpected log: $(cat "$log")"
# A monitoring system's check: the conventional first line and exit status.
out=$("$bin/marelo-sync" --status Quintaflor.vek) || fail "--status of a clean run exited $?"
grep -q '^MARELO OK - .* | waiting=0;;;0 ' <<<"$out" || fail "--status: $out"
out=$("$bin/marelo-sync" --dry-run Quintaflor.vek) || fail "empty trial run exited $?"
[ "$out" = "Simulação: a sincronização diz o que faria a cada ficheiro e não grava nada."$'\n'"$expected" ] ||
  fail "unexpected trial output: $out"

# --help and --version of both programs, without a display; bad usage exits 2 without a run.
ver=$(sed -n 's/^project(marelo VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
for p in marelo-sync marelo; do
  out=$("${nodisplay[@]}" "$bin/$p" --version) || fail "$p --version exited $?"
  [ "$out" = "$p $ver" ] || fail "$p --version printed: $out"
  out=$("${nodisplay[@]}" "$bin/$p" --help) || fail "$p --help exited $?"
  for w in "uso: $p" 'Estado de saída' 'LOG_aaaammdd.txt' '[Log] Directoria'; do
    grep -qF "$w" <<<"$out" || fail "$p --help lacks $w: $out"
  done
done
err=$("${nodisplay[@]}" "$bin/marelo" --bogus 2>&1); rc=$?
[ $rc = 2 ] && grep -q 'não há ecrã' <<<"$err" || fail "marelo --bogus is a settings file: $rc $err"
for args in "" "a b" "--bogus Quintaflor.vek" "$ws/nada.vek" "$ws/log"; do
  out=$("$bin/marelo-sync" $args 2>"$ws/err"); rc=$?
  [ $rc = 2 ] && [ -z "$out" ] || fail "marelo-sync $args: exit $rc, output $out"
done
[ "$(<"$ws/err")" = "marelo-sync: o ficheiro de parâmetros é uma pasta: $ws/log" ] || fail "$(<"$ws/err")"
"$bin/marelo-sync" "$ws/nada.vek" 2>"$ws/err"
[ "$(<"$ws/err")" = "marelo-sync: ficheiro de parâmetros não encontrado: $ws/nada.vek" ] ||
  fail "missing settings file: $(<"$ws/err")"

rmdir encomendas/entrada
out=$("$bin/marelo-sync" "$ws/Quintaflor.vek"); rc=$?
[ $rc = 1 ] || fail "a step error must exit 1, got $rc"
grep -q 'Na função ImportarEncomendas do frmMarelo' <<<"$out" || fail "step error not shown: $out"
"$bin/marelo-sync" --status "$ws/Quintaflor.vek" >"$ws/estado"; rc=$?
[ $rc = 1 ] && grep -q '^MARELO WARNING - ' "$ws/estado" || fail "--status after errors: $rc $(<"$ws/estado")"
"$bin/marelo-sync" --status "$ws/nada.vek" >"$ws/estado"; rc=$?
[ $rc = 3 ] && grep -q '^MARELO UNKNOWN - ' "$ws/estado" || fail "--status without settings: $rc"

# "/S" where a display exists: a file that does not parse is said in the output and the log, and
# the unattended run ends; a message box would wait for a click that never comes.
if command -v xvfb-run >/dev/null; then
  cp "$bin/marelo" "$ws/marelo"
  mkdir -p encomendas/entrada
  printf '<CLIENTES><PRP><NOME>sem fim' > contactos/entrada/PRP_mal.xml
  out=$(timeout 60 xvfb-run -a "$ws/marelo" /S 2>&1); rc=$?
  [ $rc = 1 ] || fail "marelo /S with a display exited $rc: $out"
  grep -q 'PRP_mal.xml' <<<"$out" || fail "marelo /S did not name the file: $out"
  grep -q 'PRP_mal.xml' log/LOG_*.txt || fail "marelo /S did not log the file"
fi

# Runs that share the settings file (through a link, a hard link) or its folders (a copy) never
# overlap: started together over a few hundred orders, each order becomes one document at most,
# and the outbox holds each file once with one block.
ws2=$(mktemp -d)
trap 'rm -rf "$ws" "$ws2"' EXIT
rmdir "$ws2"
"$src/scripts/make-workspace" "$ws2" 0 300 0 >/dev/null || fail "no workspace"
ln -s Quintaflor.vek "$ws2/ligacao.vek"
ln "$ws2/Quintaflor.vek" "$ws2/duro.vek"
cp "$ws2/Quintaflor.vek" "$ws2/copia.vek"
pids=()
for f in Quintaflor ligacao duro copia; do
  # All four start at the same moment.
  (while [ ! -e "$ws2/ja" ]; do sleep 0.01; done
   exec env -u LC_ALL -u LC_NUMERIC LANG=pt_PT.UTF-8 "$bin/marelo-sync" "$ws2/$f.vek" >"$ws2/$f.out" 2>&1) &
  pids+=($!)
done
touch "$ws2/ja"
for p in "${pids[@]}"; do wait "$p"; done
env -u LC_ALL -u LC_NUMERIC LANG=pt_PT.UTF-8 "$bin/marelo-sync" "$ws2/copia.vek" >>"$ws2/copia.out" 2>&1
docs=0
for emp in QF SR; do
  n=$(sqlite3 "$ws2/bd/$emp.db" "SELECT COUNT(*) FROM ct_Documentos") || fail "no documents in $emp"
  twice=$(sqlite3 "$ws2/bd/$emp.db" "SELECT Processo FROM ct_Documentos GROUP BY Processo HAVING COUNT(*) > 1")
  [ -z "$twice" ] || fail "orders written twice in $emp: $twice"
  docs=$((docs + n))
done
moved=$(ls "$ws2/encomendas/saida" | wc -l)
[ "$docs" = 300 ] && [ "$moved" = 300 ] || fail "$docs documents and $moved files moved for 300 orders"
[ -z "$(grep -l '<IDENCSAGE>.*<IDENCSAGE>' "$ws2"/encomendas/saida/*)" ] &&
  [ -z "$(grep -L '<IDENCSAGE>' "$ws2"/encomendas/saida/*)" ] || fail "an order file stamped twice, or not"
grep -q -h 'Já está em curso uma sincronização' "$ws2"/*.out || fail "the runs did not meet"

echo "1 passed, 0 failed"
