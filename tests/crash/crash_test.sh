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
mortes_pedidas=${MARELO_CRASH_KILLS:-50}
orcamento=${MARELO_CRASH_BUDGET:-230}
echo "seed: $seed (MARELO_CRASH_SEED=$seed repeats these delays)"
RANDOM=$seed

root=$(mktemp -d)
ws=$root/ws
modelo=$root/modelo
guardar=0
trap '[ $guardar = 1 ] || rm -rf "$root"' EXIT

passed=0 failed=0
ok() { passed=$((passed + 1)); }
falha() { failed=$((failed + 1)); echo "FAIL ($rotulo): $*"; }
check() { # check DESCRIPTION COMMAND...: one check, counted
  local d=$1; shift
  if "$@"; then ok; else falha "$d"; fi
}
command -v sqlite3 >/dev/null || { echo "FAIL: sqlite3 is not installed"; exit 1; }
command -v xmllint >/dev/null || { echo "FAIL: xmllint (libxml2-utils) is not installed"; exit 1; }

N=200
"$src/scripts/make-workspace" "$ws" $N $N $N >/dev/null || { echo "FAIL: no workspace"; exit 1; }
cp -a "$ws" "$modelo"

motivo() { # what the last run said went wrong
  grep -i -m3 -E 'erro|já está|não foi' "$root/saida.txt" | paste -sd' ' -
}
agora_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Runs marelo-sync once. With a delay in ms it is killed with SIGKILL after that delay, unless it
# ended first. Sets rc (137 when killed); its output is in $root/saida.txt.
correr() {
  local atraso=$1 sono fim
  env -u LC_ALL -u LC_NUMERIC LANG=pt_PT.UTF-8 "$bin/marelo-sync" "$ws/Quintaflor.vek" \
    >"$root/saida.txt" 2>&1 &
  local pid=$!
  if [ "$atraso" -lt 0 ]; then atraso=120000; fi  # a run that does not end is a failure too
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

# What a run leaves behind, in a form two runs can be compared by: the tables it writes (without
# the unique identifiers drawn at random and the clock), the names of its files and the content
# of the orders written. The contacts sent and the watermarks are left out: a run killed after
# importing web contacts makes the next one send them, which one run alone does not do.
colunas() { # colunas DB TABLE EXCLUDED...: the table's columns but the excluded ones
  local db=$1 t=$2; shift 2
  sqlite3 "$db" "SELECT name FROM pragma_table_info('$t')" |
    grep -v -i -x -F "$(printf '%s\n' "$@")" | paste -sd, -
}
fotografia() {
  local e db
  for e in QF SR; do
    db=$ws/bd/$e.db
    echo "== $e"
    sqlite3 "$db" "SELECT $(colunas "$db" ct_Documentos GravadoEm Data) FROM ct_Documentos
                   ORDER BY TipoDocumento, Serie, Ano, Numero"
    sqlite3 "$db" "SELECT * FROM ct_LinhasDocumento
                   ORDER BY TipoDocumento, Serie, Ano, Numero, NumeroDaLinha"
    sqlite3 "$db" "SELECT $(colunas "$db" vek_contactos Id_Unico) FROM vek_contactos ORDER BY Numero"
    sqlite3 "$db" "SELECT * FROM vek_BDC_EquivalenciaOnlineDesktop ORDER BY IDnet, numero"
    sqlite3 "$db" "SELECT * FROM CLIENTES ORDER BY NUMERO, CODIGO"
    sqlite3 "$db" "SELECT Empresa, IdEncomenda, CodigoContacto, CodigoCliente
                   FROM vek_ConversoesDeEncomendas ORDER BY Empresa, IdEncomenda"
    sqlite3 "$db" "SELECT * FROM vek_EntidadesClassificacao ORDER BY 1, 2, 3"
    sqlite3 "$db" "SELECT Codigo, AutEco FROM TpDoc ORDER BY Codigo"
    sqlite3 "$db" "SELECT Valor FROM vek_RowVersion"
  done
  (cd "$ws" && find . -path ./log -prune -o -path ./next -prune -o -path ./contactos/saida \
    -prune -o -type f -print | grep -v -E '^\./bd/.*\.db-(wal|shm)$' | LC_ALL=C sort)
  local f
  for f in "$ws"/encomendas/saida/*; do
    echo "-- ${f#"$ws"/}"
    sed -E 's#<Id_Unico[^>]*>[^<]*</Id_Unico>##g' "$f"
    echo
  done
}

declare -A dbts_inicial recebidos
while read -r soma nome; do
  recebidos[$nome]=$soma
done < <(cd "$modelo/contactos/entrada" && md5sum -- *.xml)

for e in QF SR; do
  while IFS='|' read -r numero versao; do
    dbts_inicial[$e,$numero]=$versao
  done < <(sqlite3 "$modelo/bd/$e.db" "SELECT Numero, CAST(dbts AS int) FROM vek_contactos")
done

empresa_da_encomenda() { # sets empresa, as scripts/make-workspace spreads the orders
  local i=$1
  if [ $((i % 10)) = 0 ]; then
    if [ $(((i / 10) % 2)) = 1 ]; then empresa=SR; else empresa=QF; fi
  elif [ $((i % 2)) = 1 ]; then empresa=QF; else empresa=SR; fi
}

# The checks of one completed run, each counted once per round.
verificar() {
  local e outra i f n b nome soma contagem numero empresa problemas=() lista
  # Every order has one document, in its own company, named by its web order, and its file is
  # in the outbox with one IDENCSAGE block that names that very document.
  local -A num_doc=()
  for e in QF SR; do
    while IFS='|' read -r processo contagem numero; do
      num_doc[$e,$processo]=$contagem:$numero
    done < <(sqlite3 "$ws/bd/$e.db" "SELECT Processo, COUNT(*), MAX(Numero) FROM ct_Documentos
                                     WHERE Processo LIKE 'Web %' GROUP BY Processo" 2>/dev/null)
  done
  local -A blocos=()
  while IFS='|' read -r nome contagem numero; do
    blocos[$nome]=$contagem:$numero
  done < <(awk 'FNR == 1 { if (f != "") print f "|" c "|" d; f = FILENAME; c = 0; d = "" }
                { s = $0
                  while ((p = index(s, "<IDENCSAGE>")) > 0) { c++; s = substr(s, p + 11) }
                  if (match($0, /<NNUMDOC>[^<]*<\/NNUMDOC>/)) d = substr($0, RSTART + 9, RLENGTH - 19) }
                END { if (f != "") print f "|" c "|" d }' "$ws"/encomendas/saida/*.xml |
           sed 's#^.*/##')
  for ((i = 1; i <= N; i++)); do
    empresa_da_encomenda $i
    e=$empresa
    if [ "$e" = QF ]; then outra=SR; else outra=QF; fi
    f=$(printf 'ENC_%06d.xml' $i)
    n=${num_doc[$e,Web $i]:-0:}
    b=${blocos[$f]:-}
    if [ "${n%%:*}" != 1 ] || [ -n "${num_doc[$outra,Web $i]:-}" ]; then
      problemas+=("order $i: documents in $e: ${n%%:*}, in $outra: ${num_doc[$outra,Web $i]:-0}")
    elif [ -z "$b" ]; then
      problemas+=("order $i: its file is not in the outbox")
    elif [ "${b%%:*}" != 1 ]; then
      problemas+=("order $i: ${b%%:*} IDENCSAGE blocks")
    elif [ "${b#*:}" != "${n#*:}" ]; then
      problemas+=("order $i: the file names document ${b#*:}, not ${n#*:}")
    fi
  done
  check "every order has exactly one document and one IDENCSAGE block: ${problemas[*]:0:5}" \
    test ${#problemas[@]} = 0
  lista=$(ls "$ws/encomendas/entrada" | head -5 | paste -sd' ' -)
  check "order inbox not empty: $lista" test -z "$lista"
  for e in QF SR; do
    n=$(sqlite3 "$ws/bd/$e.db" "SELECT COUNT(*) FROM ct_Documentos WHERE Processo NOT LIKE 'Web %'
                                OR Processo IS NULL")
    check "$e: $n documents that name no web order" test "$n" = 0
  done

  # Every web contact is in the CRM of its company once, and its file is kept as a backup.
  problemas=()
  local -A copias=()
  while read -r soma nome; do
    copias[$nome]=$soma
  done < <(cd "$ws/contactos/entrada" && md5sum -- *.bak)
  local -A equiv=() linhas=()
  for e in QF SR; do
    while IFS='|' read -r idnet contagem contactos; do
      equiv[$e,$idnet]=$contagem linhas[$e,$idnet]=$contactos
    done < <(sqlite3 "$ws/bd/$e.db" "SELECT q.IDnet, COUNT(*), (SELECT COUNT(*) FROM vek_contactos c
                                      WHERE c.Numero = MAX(q.numero))
                                     FROM vek_BDC_EquivalenciaOnlineDesktop q GROUP BY q.IDnet")
  done
  for ((i = 1; i <= N; i++)); do
    if [ $((i % 2)) = 1 ]; then e=QF outra=SR; else e=SR outra=QF; fi
    local id=$((100000 + i))
    printf -v nome 'PRP_%06d.xml' $i
    if [ "${equiv[$e,$id]:-0}" != 1 ] || [ -n "${equiv[$outra,$id]:-}" ] ||
       [ "${linhas[$e,$id]:-0}" != 1 ]; then
      problemas+=("web contact $id: ${equiv[$e,$id]:-0} equivalences, ${linhas[$e,$id]:-0} rows")
    elif [ -e "$ws/contactos/entrada/$nome" ]; then
      problemas+=("$nome is still waiting")
    elif [ "${copias[$nome.bak]:-}" != "${recebidos[$nome]}" ]; then
      problemas+=("$nome.bak is missing or differs from the file received")
    fi
  done
  for e in QF SR; do
    n=$(sqlite3 "$ws/bd/$e.db" "SELECT COUNT(*) FROM vek_contactos WHERE Nome LIKE 'Cliente web %'")
    [ "$n" = $((N / 2)) ] || problemas+=("$e: $n contacts made from web files, not $((N / 2))")
  done
  check "every web contact is in the CRM once and kept as a backup: ${problemas[*]:0:5}" \
    test ${#problemas[@]} = 0

  # Every prospect became one customer, once.
  problemas=()
  for ((i = 10; i <= N; i += 10)); do
    empresa_da_encomenda $i
    e=$empresa
    n=$(sqlite3 "$ws/bd/$e.db" "SELECT (SELECT COUNT(*) FROM CLIENTES WHERE NOME = 'Prospect $i')
        || '/' || (SELECT COUNT(*) FROM vek_contactos WHERE Codigo = 'P$i')
        || '/' || (SELECT COUNT(*) FROM vek_ConversoesDeEncomendas
                   WHERE IdEncomenda = $i AND CodigoContacto = 'P$i')")
    [ "$n" = 1/0/1 ] || problemas+=("prospect P$i: customers/contacts/conversions $n")
  done
  check "every prospect is one customer: ${problemas[*]:0:5}" test ${#problemas[@]} = 0

  # No file is truncated, and nothing but what the run makes is left in its folders.
  local xmls=("$ws"/encomendas/saida/*.xml "$ws"/contactos/saida/*.xml "$ws"/contactos/entrada/*.bak)
  check "some XML file does not parse" xmllint --noout "${xmls[@]}"
  lista=$(cd "$ws" && find . -path ./log -prune -o -path ./next -prune -o -type f -print |
    grep -v -E '^\./(Quintaflor\.vek|bd/(QF|SR)\.db(-wal|-shm)?|encomendas/saida/ENC_[0-9]{6}\.xml|contactos/entrada/PRP_[0-9]{6}\.xml\.bak|contactos/saida/Contactos (QF|SR)_[0-9]+\.xml)$' | head -5 | paste -sd' ' -)
  check "stray files: $lista" test -z "$lista"
  for e in QF SR; do
    n=$(sqlite3 "$ws/bd/$e.db" "SELECT COUNT(*) FROM TpDoc WHERE AutEco <> 0")
    check "$e: a document type was left with AutEco on" test "$n" = 0
  done

  # The watermark passes no contact whose file was not written, and every contact changed
  # before the runs has been sent.
  for e in QF SR; do
    local marca maior=0 inicial=0 k
    problemas=()
    marca=$(sed -n "/^\[$e\]/,/^\[/s/^UltimoEnviado=//p" "$ws/Quintaflor.vek")
    local -A versoes=()
    for k in "${!dbts_inicial[@]}"; do
      [ "${k%%,*}" = "$e" ] || continue
      versoes[${k#*,}]=${dbts_inicial[$k]}
      [ "${dbts_inicial[$k]}" -gt "$inicial" ] && inicial=${dbts_inicial[$k]}
    done
    while IFS='|' read -r numero versao; do
      versoes[$numero]=$versao
    done < <(sqlite3 "$ws/bd/$e.db" "SELECT Numero, CAST(dbts AS int) FROM vek_contactos")
    for numero in "${!versoes[@]}"; do
      if [ -f "$ws/contactos/saida/Contactos ${e}_$numero.xml" ]; then
        [ "${versoes[$numero]}" -gt "$maior" ] && maior=${versoes[$numero]}
      elif [ "${versoes[$numero]}" -le "${marca:-0}" ]; then
        problemas+=("contact $numero (version ${versoes[$numero]}) has no file")
      fi
    done
    check "$e: watermark '${marca}' above the last contact file written ($maior)" \
      test -n "$marca" -a "${marca:-0}" -le "$maior"
    check "$e: watermark ${marca} below the contacts changed before the runs ($inicial)" \
      test "${marca:-0}" -ge "$inicial"
    check "$e: contacts passed over by the watermark: ${problemas[*]:0:5}" \
      test ${#problemas[@]} = 0
  done
}

# The contacts sent, against those of the uninterrupted run: each of its files, unchanged, and
# besides them only files of contacts made from web files.
contactos_enviados() {
  local f nome numero e problemas=()
  local -A da_web=()
  for e in QF SR; do
    while read -r numero; do
      da_web[$e,$numero]=1
    done < <(sqlite3 "$ws/bd/$e.db" "SELECT Numero FROM vek_contactos WHERE Nome LIKE 'Cliente web %'")
  done
  for f in "$root"/enviados/*; do
    nome=${f##*/}
    cmp -s "$f" "$ws/contactos/saida/$nome" || problemas+=("$nome: missing or changed")
  done
  for f in "$ws"/contactos/saida/*; do
    nome=${f##*/}
    [ -e "$root/enviados/$nome" ] && continue
    numero=${nome##*_} e=${nome#Contactos }
    numero=${numero%.xml} e=${e%%_*}
    [ -n "${da_web[$e,$numero]:-}" ] || problemas+=("$nome: not a contact made from a web file")
  done
  check "contacts sent: ${problemas[*]:0:5}" test ${#problemas[@]} = 0
}

inicio=$SECONDS

# A run that is never interrupted: its duration bounds the kill delays, and what it leaves is
# what every interrupted series of runs must leave.
rotulo="uninterrupted run"
t0=$(agora_ms)
correr -1
duracao=$(( $(agora_ms) - t0 ))
check "the uninterrupted run exited $rc: $(motivo)" test "$rc" = 0
verificar
fotografia >"$root/referencia.txt"
cp -a "$ws/contactos/saida" "$root/enviados"
echo "uninterrupted run: ${duracao} ms"
[ "$failed" = 0 ] || { echo "$passed passed, $failed failed"; exit 1; }

mortes=0 rondas=0 corridas=0 por_ronda=5
: >"$root/saidas.txt"
while [ $mortes -lt "$mortes_pedidas" ] && [ $((SECONDS - inicio)) -lt "$orcamento" ]; do
  rondas=$((rondas + 1))
  rotulo="round $rondas"
  rm -rf "$ws"
  cp -a "$modelo" "$ws"
  atrasos=()
  restante=$duracao
  while :; do
    if [ ${#atrasos[@]} -lt $por_ronda ] && [ $mortes -lt "$mortes_pedidas" ] &&
       [ $((SECONDS - inicio)) -lt "$orcamento" ]; then
      atraso=$(( (RANDOM * 32768 + RANDOM) % restante ))
    else
      atraso=-1
    fi
    correr $atraso
    corridas=$((corridas + 1))
    [ $rc = 137 ] && [ $atraso -ge 0 ] || break
    mortes=$((mortes + 1))
    atrasos+=("${atraso}ms")
    restante=$(( restante - atraso > 100 ? restante - atraso : 100 ))
  done
  atrasos+=("completed")
  check "the run that completed exited $rc: $(motivo)" test "$rc" = 0
  antes=$failed
  verificar
  contactos_enviados
  fotografia >"$root/ronda.txt"
  if ! diff -q "$root/referencia.txt" "$root/ronda.txt" >/dev/null; then
    falha "differs from the uninterrupted run:"
    diff "$root/referencia.txt" "$root/ronda.txt" | cut -c1-160 | head -20
  else
    ok
  fi
  if [ "$failed" != "$antes" ]; then
    echo "  kills of round $rondas: ${atrasos[*]}"
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
if [ $mortes -lt "$mortes_pedidas" ]; then
  echo "note: only $mortes of $mortes_pedidas kills fitted in the time budget of $orcamento s"
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
