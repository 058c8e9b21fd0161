#!/usr/bin/env bash
# Kills marelo-sync with SIGKILL at random moments of its runs over a large workspace, starting
# it again after every kill, and checks after each run that completes that nothing was lost,
# truncated or written twice: the accounting documents, the CRM and the files must be those of a
# run that was never interrupted, and the watermarks must have passed over no contact.
#   tests/crash/crash_test.sh BIN-DIR
# The kills are spread over rounds of at most five: each round restores the workspace as it was
# built, kills each run at a random moment of the work it still has (the duration of a whole run
# less the delays already spent) and ends with a run that completes by itself.
# Environment: MARELO_CRASH_SEED (the random delays; 20261206), MARELO_CRASH_KILLS (50),
# MARELO_CRASH_BUDGET (seconds after which no more kills are made; 230),
# MARELO_CRASH_KEEP=1 (keep the workspace of a failed round and say where).
set -u
bin=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
seed=${MARELO_CRASH_SEED:-20261206}
echo "seed: $seed (MARELO_CRASH_SEED=$seed repeats these delays)"
RANDOM=$seed
root=$(mktemp -d)
ws=$root/ws
guardar=0
trap '[ $guardar = 1 ] || rm -rf "$root"' EXIT
passed=0 failed=0
falha() { failed=$((failed + 1)); echo "FAIL ($rotulo): $*"; }
check() { # check DESCRIPTION COMMAND...: one check, counted
  local d=$1; shift
  if "$@"; then passed=$((passed + 1)); else falha "$d"; fi
}
command -v sqlite3 >/dev/null || { echo "FAIL: no sqlite3"; exit 1; }

N=200
"$src/scripts/make-workspace" "$ws" $N $N $N >/dev/null || { echo "FAIL: no workspace"; exit 1; }
cp -a "$ws" "$root/modelo"
q() { sqlite3 "$ws/bd/$1.db" "$2"; }
agora_ms() { echo $(($(date +%s%N) / 1000000)); }

# Runs marelo-sync once; with a delay in ms it is killed with SIGKILL after that delay, unless it
# ended first. Sets rc (137 when killed); its output is in $root/saida.txt.
correr() {
  local atraso=$1 sono fim
  env -u LC_ALL -u LC_NUMERIC LANG=pt_PT.UTF-8 "$bin/marelo-sync" "$ws/Quintaflor.vek" \
    >"$root/saida.txt" 2>&1 &
  local pid=$!
  [ "$atraso" -ge 0 ] || atraso=120000 # a run that does not end is a failure too
  sleep "$(printf '%d.%03d' $((atraso / 1000)) $((atraso % 1000)))" &
  sono=$!
  wait -n -p fim "$pid" "$sono"
  rc=$?
  if [ "$fim" = "$pid" ]; then
    kill "$sono" 2>/dev/null
    wait "$sono" 2>/dev/null
  else
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    rc=$?
  fi
  cat "$root/saida.txt" >>"$root/saidas.txt"
}

# What a run leaves, in a form two runs can be compared by: the tables it writes (without the
# identifiers drawn at random and the clock), its files and the orders written. The contacts sent
# and the watermarks are left out: a run killed after importing web contacts makes the next one
# send them, which one run alone does not do.
fotografia() {
  local e f
  for e in QF SR; do
    echo "== $e"
    q $e "SELECT $(q $e "SELECT group_concat(name) FROM pragma_table_info('ct_Documentos')
                         WHERE name NOT IN ('GravadoEm', 'Data')") FROM ct_Documentos ORDER BY 1, 2, 3, 4"
    q $e "SELECT * FROM ct_LinhasDocumento ORDER BY 1, 2, 3, 4, 5"
    q $e "SELECT $(q $e "SELECT group_concat(name) FROM pragma_table_info('vek_contactos')
                         WHERE name <> 'Id_Unico'") FROM vek_contactos ORDER BY Numero"
    q $e "SELECT * FROM vek_BDC_EquivalenciaOnlineDesktop ORDER BY 1, 2"
    q $e "SELECT * FROM CLIENTES ORDER BY NUMERO, CODIGO"
    q $e "SELECT Empresa, IdEncomenda, CodigoContacto, CodigoCliente FROM vek_ConversoesDeEncomendas
          ORDER BY 1, 2"
    q $e "SELECT * FROM vek_EntidadesClassificacao ORDER BY 1, 2, 3"
    q $e "SELECT Codigo, AutEco FROM TpDoc ORDER BY Codigo; SELECT Valor FROM vek_RowVersion"
  done
  (cd "$ws" && find . -path ./log -prune -o -path ./next -prune -o -path ./contactos/saida \
    -prune -o -type f -print | grep -v -E '^\./bd/.*\.db-(wal|shm)$' | LC_ALL=C sort)
  for f in "$ws"/encomendas/saida/*; do
    echo "-- ${f#"$ws"/}"
    sed -E 's#<Id_Unico[^>]*>[^<]*</Id_Unico>##g' "$f"
  done
}

# The checks of one completed run. What it leaves in the databases and the order files is
# compared with the uninterrupted run's (fotografia); here what that comparison leaves out.
verificar() {
  local e n f lista problemas=()
  lista=$(ls "$ws/encomendas/entrada" | head -5 | paste -sd' ' -)
  check "order inbox not empty: $lista" test -z "$lista"

  # Nothing but what the run makes is left in its folders.
  lista=$(cd "$ws" && find . -path ./log -prune -o -path ./next -prune -o -type f -print |
    grep -v -E '^\./(Quintaflor\.vek|bd/(QF|SR)\.db(-wal|-shm)?|encomendas/saida/ENC_[0-9]{6}\.xml|contactos/entrada/PRP_[0-9]{6}\.xml\.bak|contactos/saida/Contactos (QF|SR)_[0-9]+\.xml)$' | head -5 | paste -sd' ' -)
  check "stray files: $lista" test -z "$lista"

  # The watermark passes no contact whose file was not written, and every contact changed
  # before the runs has been sent.
  local sql="SELECT Numero, CAST(dbts AS int) FROM vek_contactos"
  for e in QF SR; do
    local marca maior=0 numero
    declare -A versoes=()
    problemas=()
    marca=$(sed -n "/^\[$e\]/,/^\[/s/^UltimoEnviado=//p" "$ws/Quintaflor.vek")
    # Those of the contacts gone since (the prospects made customers) as they were.
    while IFS='|' read -r numero n; do versoes[$numero]=$n; done \
      < <(sqlite3 "$root/modelo/bd/$e.db" "$sql"; q $e "$sql")
    for numero in "${!versoes[@]}"; do
      if [ -f "$ws/contactos/saida/Contactos ${e}_$numero.xml" ]; then
        [ "${versoes[$numero]}" -gt "$maior" ] && maior=${versoes[$numero]}
      elif [ "${versoes[$numero]}" -le "${marca:-0}" ]; then
        problemas+=("contact $numero (version ${versoes[$numero]}) has no file")
      fi
    done
    unset versoes
    n=$(sqlite3 "$root/modelo/bd/$e.db" "SELECT MAX(CAST(dbts AS int)) FROM vek_contactos")
    check "$e: watermark '$marca' outside [$n, $maior]" test -n "$marca" -a "${marca:-0}" -le "$maior" -a "${marca:-0}" -ge "$n"
    check "$e: contacts passed over by the watermark: ${problemas[*]:0:5}" test ${#problemas[@]} = 0
  done

  # The contacts sent, against those of the uninterrupted run: each of its files, unchanged, and
  # besides them only files of contacts made from web files.
  [ -d "$root/enviados" ] || return
  problemas=()
  for f in "$root"/enviados/*; do
    cmp -s "$f" "$ws/contactos/saida/${f##*/}" || problemas+=("${f##*/}: missing or changed")
  done
  for f in "$ws"/contactos/saida/*; do
    [ -e "$root/enviados/${f##*/}" ] || grep -q '<NOME[^>]*>Cliente web ' "$f" ||
      problemas+=("${f##*/}: not a contact made from a web file")
  done
  check "contacts sent: ${problemas[*]:0:5}" test ${#problemas[@]} = 0
}

# A run that is never interrupted: its duration bounds the kill delays, and what it leaves is
# what every interrupted series of runs must leave.
inicio=$SECONDS
rotulo="uninterrupted run"
t0=$(agora_ms)
correr -1
duracao=$(($(agora_ms) - t0))
check "the uninterrupted run exited $rc" test "$rc" = 0
verificar
fotografia >"$root/referencia.txt"
cp -a "$ws/contactos/saida" "$root/enviados"
echo "uninterrupted run: ${duracao} ms"
[ "$failed" = 0 ] || { echo "$passed passed, $failed failed"; exit 1; }

mortes=0 rondas=0 corridas=0
: >"$root/saidas.txt"
mais() { [ $mortes -lt "${MARELO_CRASH_KILLS:-50}" ] && [ $((SECONDS - inicio)) -lt "${MARELO_CRASH_BUDGET:-230}" ]; }
while mais; do
  rondas=$((rondas + 1)) rotulo="round $rondas" atrasos=() restante=$duracao
  rm -rf "$ws"
  cp -a "$root/modelo" "$ws"
  while :; do
    atraso=-1
    if [ ${#atrasos[@]} -lt 5 ] && mais; then atraso=$(((RANDOM * 32768 + RANDOM) % restante)); fi
    correr $atraso
    corridas=$((corridas + 1))
    [ $rc = 137 ] && [ $atraso -ge 0 ] || break
    mortes=$((mortes + 1))
    atrasos+=("${atraso}ms")
    restante=$((restante - atraso > 100 ? restante - atraso : 100))
  done
  antes=$failed
  check "the run that completed exited $rc: $(grep -i -m3 -E 'erro|já está|não foi' "$root/saida.txt")" \
    test "$rc" = 0
  verificar
  fotografia >"$root/ronda.txt"
  if diff -q "$root/referencia.txt" "$root/ronda.txt" >/dev/null; then passed=$((passed + 1)); else
    falha "differs from the uninterrupted run:"
    diff "$root/referencia.txt" "$root/ronda.txt" | cut -c1-160 | head -20
  fi
  if [ "$failed" != "$antes" ]; then
    echo "  kills of round $rondas: ${atrasos[*]} completed"
    if [ "${MARELO_CRASH_KEEP:-0}" = 1 ]; then
      guardar=1
      cp -a "$ws" "$root/ronda-$rondas"
      echo "  workspace kept in $root/ronda-$rondas"
    fi
  fi
done

echo "kills: $mortes in $rondas rounds, $corridas runs, $((SECONDS - inicio)) s"
echo "recoveries seen: $(grep -c 'já tem o documento' "$root/saidas.txt") documents found by their" \
  "web order, $(grep -c 'já tinha sido gravada' "$root/saidas.txt") updated files only moved"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
