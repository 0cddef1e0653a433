#!/usr/bin/env bash
# Peer checks of the drawings: the CAD files of every view of the two
# fixture projects and the two example projects, read by independent
# readers (ezdxf for DXF, admesh for STL, OCCT for STEP and IGES through the
# CAD tests' occt_read), and the command line "/CADi:j" of the program with
# no display. Pictures for reviewers go to the build's artifacts folder.
# Usage: extra.sh BUILD_FOLDER
set -euo pipefail
# shellcheck source=SCRIPTDIR/../common/step.sh
source "$(dirname "$0")/../common/step.sh" "drawings extra" "$@"
check="/usr/bin/python3 $root/tests/drawings/check_views.py"
draw="$build/tests/drawings/tools/draw_views"
occt="$build/tests/cad/tools/occt_read"
wkt4="$build/wkt4"

need "$draw" "$wkt4" "$occt" /usr/bin/admesh
need_python ezdxf python3-ezdxf

make_work
cp "$root"/tests/drawings/fixtures/x.kt4 "$root"/tests/drawings/fixtures/y.kt4 "$work"/
cp "$root"/data/beispiel1.kt4 "$root"/data/beispiel2.kt4 "$work"/
mkdir -p "$art"
cd "$work"

# ---- every view as DXF; the thin covers of x.kt4 lack their bearing slot
views=$(seq 0 22)
for p in x y; do
    mkdir -p "dxf_$p"
    "$draw" "$p.kt4" 1 "dxf_$p" $views > "dxf_$p.log" || die "$p: a view failed ($(cat "dxf_$p.log"))"
done
refused=$(grep -c refused dxf_x.log || true)
[ "$refused" = 3 ] && grep -q "^16 refused" dxf_x.log && grep -q "^19 refused" dxf_x.log &&
    grep -q "^20 refused" dxf_x.log || die "x.kt4 should refuse views 16, 19 and 20: $(cat dxf_x.log)"
! grep -q refused dxf_y.log || die "y.kt4 refused a view: $(cat dxf_y.log)"
$check dxf dxf_x/*.dxf dxf_y/*.dxf
echo "drawings extra: $(ls dxf_x dxf_y | grep -c dxf) DXF files pass the ezdxf audit"

# ---- every drawn view as IGES: OCCT's box equals the extents of the DXF
# curves of the same view (texts left out)
drawn="1 3 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22"
for p in beispiel1 beispiel2; do
    mkdir -p "dxf_$p"
    "$draw" "$p.kt4" 1 "dxf_$p" $drawn > "dxf_$p.log" || die "$p: a view failed ($(cat "dxf_$p.log"))"
done
boxes=0
for p in x y beispiel1 beispiel2; do
    mkdir -p "igs_$p"
    "$draw" "$p.kt4" 2 "igs_$p" $drawn > "igs_$p.log" || die "$p: an IGES view failed ($(cat "igs_$p.log"))"
    for f in "igs_$p"/*.igs; do
        "$occt" "$f" > occt.txt || die "OCCT refuses $f: $(cat occt.txt)"
        $check iges-box "dxf_$p/$(basename "$f" .igs).dxf" occt.txt
        boxes=$((boxes + 1))
    done
done
"$occt" --curves igs_y/y_01.igs > occt.txt
/usr/bin/python3 "$root/tests/drawings/render_views.py" dxf-iges "$art/overview_dxf_and_iges_in_occt.png" \
    dxf_y/y_01.dxf occt.txt
echo "drawings extra: OCCT's box of $boxes IGES views equals the extents of their DXF curves"

# ---- every view as STEP: a file only where there is a line to carry
for p in x y beispiel1 beispiel2; do
    mkdir -p "stp_$p"
    "$draw" "$p.kt4" 7 "stp_$p" $views > "stp_$p.log" || die "$p: a STEP view failed ($(cat "stp_$p.log"))"
    grep -q "^3 written" "stp_$p.log" || die "$p: no STEP file of the section ($(cat "stp_$p.log"))"
    for f in stp_$p/*.stp; do
        "$occt" "$f" > occt.txt || die "OCCT refuses $f: $(cat occt.txt)"
        grep -q "^load ok" occt.txt && grep -Eq "^edges [1-9]" occt.txt || die "$f has no edge: $(cat occt.txt)"
    done
done
echo "drawings extra: $(ls stp_x stp_y stp_beispiel1 stp_beispiel2 | grep -c stp) STEP files, each with an edge in OCCT"

# ---- every part view allowed for the project as STL; admesh turns no
# facet: its check of the facets as written (-d) reverses none and finds a
# positive volume, and its full repair does not reverse them all
for p in x y beispiel1 beispiel2; do
    mkdir -p "stl_$p"
    "$draw" "$p.kt4" 6 "stl_$p" 7 8 9 10 11 12 13 14 15 16 17 18 19 20 22 > "stl_$p.log" ||
        die "$p: an STL view failed ($(cat "stl_$p.log"))"
    for f in stl_$p/*.stl; do
        report=$(/usr/bin/admesh "$f")
        degenerate=$(echo "$report" | awk -F: '/Degenerate facets/ {gsub(/ /, "", $2); print $2}')
        [ "$degenerate" = 0 ] || die "$f: $degenerate degenerate facets"
        ! echo "$report" | grep -q "Reversing all facets" || die "$f: admesh reverses all facets"
        report=$(/usr/bin/admesh -d "$f")
        reversed=$(echo "$report" | awk -F: '/Facets reversed/ {gsub(/ /, "", $2); print $2}')
        volume=$(echo "$report" | awk -F: '/Volume/ {gsub(/ /, "", $3); print $3}')
        [ "$reversed" = 0 ] && awk -v v="$volume" 'BEGIN {exit !(v > 0)}' ||
            die "$f: admesh -d reverses $reversed facets, volume $volume"
    done
    roller_open=$(/usr/bin/admesh "stl_$p/${p}_07.stl" | awk -F: '/Total disconnected facets/ {split($2, a, " "); print a[1]}')
    [ "$roller_open" = 0 ] || die "$p: the roller has $roller_open disconnected facets"
done
/usr/bin/admesh -d stl_y/y_13.stl > "$art/ring_gear_admesh.txt"
/usr/bin/python3 "$root/tests/drawings/render_views.py" stl "$art/ring_gear_normals.png" stl_y/y_13.stl
echo "drawings extra: $(ls stl_x stl_y stl_beispiel1 stl_beispiel2 | grep -c stl) STL files without degenerate" \
    "or reversed facets, closed rollers"

# ---- the command line, with no display
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$wkt4" "$@" > run.log 2>&1; }
run x.kt4 /CAD1:01 || die "/CAD1:01 failed: $(cat run.log)"
$check dxf x.dxf
$check dxf-facts x.dxf > facts.txt
for b in lager1 lager2 lager3 lager4 lager5 H W EXZ abtr SA; do
    grep -qx "block $b" facts.txt || die "x.dxf lacks the block $b"
done
[ "$(grep '^insert' facts.txt | tr '\n' ' ')" = "insert H insert W insert EXZ insert abtr insert SA " ] ||
    die "x.dxf inserts $(grep '^insert' facts.txt | tr '\n' ' ')"
for t in "Load" "Load capacity" "Bearings" "Dimens." "Dimens. Main"; do
    grep -qx "text  $t" facts.txt || die "x.dxf lacks the table title \" $t\""
done
run y.kt4 /CAD1:03 || die "/CAD1:03 of y.kt4 failed"
$check dxf-facts y.dxf > facts.txt
[ "$(grep '^insert' facts.txt | sort | tr '\n' ' ')" = "insert lager1 insert lager2 insert lager4 " ] ||
    die "y.kt4 view 3 inserts the wrong bearing blocks"
run x.kt4 /CAD1:03 || die "/CAD1:03 of x.kt4 failed"
$check dxf-facts x.dxf > facts.txt
! grep -q '^insert' facts.txt || die "x.kt4 view 3 inserts a bearing block"
run x.kt4 /CAD1:21 || die "/CAD1:21 failed"
$check dxf-facts x.dxf > facts.txt
grep -qx "text iSH = +18" facts.txt || die "x.kt4 view 21 lacks iSH = +18"
grep -qx "text iSC = -17" facts.txt || die "x.kt4 view 21 lacks iSC = -17"
run x.kt4 /CAD6:07 || die "/CAD6:07 failed"
$check stl-closed x.stl
run x.kt4 /CAD6:11 || die "/CAD6:11 failed"
$check stl-walls x.stl
run y.kt4 /CAD7:03 || die "/CAD7:03 failed: $(cat run.log)"
"$occt" y.stp > occt.txt || die "OCCT refuses y.stp: $(cat occt.txt)"
grep -q "^load ok" occt.txt && grep -Eq "^edges [1-9]" occt.txt || die "y.stp: $(cat occt.txt)"
run y.kt4 /CAD2:03 || die "/CAD2:03 failed: $(cat run.log)"
"$occt" y.igs > occt.txt || die "OCCT refuses y.igs: $(cat occt.txt)"
grep -q "^load ok" occt.txt && grep -Eq "^edges [1-9]" occt.txt || die "y.igs: $(cat occt.txt)"
for p in x y; do
    run "$p.kt4" /CAD5:01 || die "/CAD5:01 of $p.kt4 failed"
    ! grep -Eiq "nan|inf" "$p.txt" || die "$p.txt holds a number that is none"
done
for v in 16 19 20; do
    rm -f x.dxf
    if run x.kt4 /CAD1:$v; then die "/CAD1:$v of x.kt4 should exit 1"; fi
    [ ! -e x.dxf ] || die "/CAD1:$v of x.kt4 wrote a file"
done
echo "drawings extra: command line checks pass"

# ---- "CAD Maßstab" and "Dezimalstellen DXF, TXT" change the DXF file only:
# what OCCT reads of the STEP of the section (edges, box) and admesh of its
# STL (extents, facets), both replaying the bearing blocks, stays as at the
# standard settings; the configuration file is read from the current folder
mkdir settings && cp y.kt4 settings/ && cd settings
cfg="$root/tests/shell/fuzz/config_session_fuzz.corpus/default.cfg"
last=$(wc -l < "$cfg")
peers() { # scale decimals
    awk -v s="$1" -v d="$2" -v n="$last" '{l = $0; sub(/\r$/, "", l)}
        p == "Decimals DXF,TXT" {$0 = d "\r"} NR == n - 1 {$0 = s "\r"} {p = l; print}' "$cfg" > kt4.cfg
    for i in 7 6 1; do
        run y.kt4 "/CAD$i:03" || die "/CAD$i:03 at CAD scale $1 and $2 decimals failed: $(cat run.log)"
    done
    "$occt" y.stp | grep -E "^(edges|bbox)"
    /usr/bin/admesh y.stl | grep -E "^(Min [XYZ]|Number of facets)"
}
standard=$(peers 1 6)
cp y.dxf standard.dxf
for s in "2 6" "1 1" "1 3"; do
    # shellcheck disable=SC2086 # scale and decimals as two words
    now=$(peers $s)
    [ "$now" = "$standard" ] || die "CAD scale and decimals $s change the section's STEP or STL: $now"
    ! cmp -s y.dxf standard.dxf || die "CAD scale and decimals $s leave the DXF file as it was"
done
cd ..
echo "drawings extra: the CAD scale and the DXF decimals change the DXF only, not the STEP or STL (OCCT, admesh)"

# ---- the bearing sections of every type (three fixtures, five slots each)
designations=("6204|1205|HK 2016|RNA 4904|NU 205"
              "30205|22205|7205 B|3205|K 25x29x10"
              "NCF 2205 V|NV 25|NJ 205|NUP 205|3305")
for k in 1 2 3; do
    p="bearings_$k"
    cp "$root/tests/drawings/fixtures/$p.kt4" .
    run "$p.kt4" /CAD1:01 || die "/CAD1:01 of $p.kt4 failed: $(cat run.log)"
    $check dxf "$p.dxf"
    IFS='|' read -r -a want <<< "${designations[$((k - 1))]}"
    $check bearing-blocks "$p.dxf" "${want[@]}"
    run "$p.kt4" /CAD5:01 || die "/CAD5:01 of $p.kt4 failed: $(cat run.log)"
    ! grep -Eiq "nan|inf" "$p.txt" || die "$p.txt holds a number that is none"
    run "$p.kt4" /CAD2:01 || die "/CAD2:01 of $p.kt4 failed: $(cat run.log)"
    "$occt" "$p.igs" > occt.txt || die "OCCT refuses $p.igs: $(cat occt.txt)"
    $check iges-box "$p.dxf" occt.txt
done
echo "drawings extra: the sections of all twelve bearing types pass ezdxf, the TXT and OCCT checks"
