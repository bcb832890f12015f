#!/usr/bin/env bash
# Fails on any #include that reaches a layer the including file may not use (scripts/layers.txt).
set -euo pipefail
cd "$(dirname "$0")/.."
table=scripts/layers.txt

declare -A layer_path layer_uses
order=()
while read -r name path uses; do
    [[ -z "$name" || "$name" == \#* ]] && continue
    layer_path[$name]=$path
    layer_uses[$name]=$uses
    order+=("$name")
done < "$table"

# The paths a layer may include: its own, each path it names, and what each layer it names may include.
declare -A reach
reach_of() {
    local name=$1
    [[ -n "${reach[$name]+set}" ]] && { printf '%s' "${reach[$name]}"; return; }
    [[ -n "${layer_path[$name]+set}" ]] || { echo "$table: unknown layer '$name'" >&2; exit 2; }
    local paths=${layer_path[$name]} use
    for use in ${layer_uses[$name]}; do
        if [[ "$use" == */* ]]; then paths+=" $use"; else paths+=" $(reach_of "$use")"; fi
    done
    reach[$name]=$paths
    printf '%s' "$paths"
}
for name in "${order[@]}"; do reach_of "$name" > /dev/null; done

under() { [[ "$1" == "$2" || "$1" == "$2"/* ]]; }

layer_of() {
    local file=$1 best="" best_length=0 name
    for name in "${order[@]}"; do
        local path=${layer_path[$name]}
        if under "$file" "$path" && ((${#path} > best_length)); then
            best=$name
            best_length=${#path}
        fi
    done
    printf '%s' "$best"
}

# Quoted includes name a file below server/ (for halvexd's own folders) or below src/.
resolve() {
    local file=$1 include=$2
    if under "$file" server && [[ -e "server/$include" ]]; then
        printf 'server/%s' "$include"
    elif [[ -e "src/$include" ]]; then
        printf 'src/%s' "$include"
    fi
}

violations=0
while IFS= read -r file; do
    layer=$(layer_of "$file")
    [[ -n "$layer" ]] || continue
    while IFS=: read -r line include; do
        target=$(resolve "$file" "$include")
        [[ -n "$target" ]] || continue
        allowed=false
        for path in ${reach[$layer]}; do
            if under "$target" "$path"; then allowed=true; break; fi
        done
        if ! $allowed; then
            echo "$file:$line: the $layer layer may not include \"$include\" ($(layer_of "$target"))"
            violations=$((violations + 1))
        fi
    done < <(grep -n -o -E '^\s*#\s*(include|import)\s+"[^"]+/[^"]+"' "$file" | sed -E 's/^([0-9]+):.*"(.*)"/\1:\2/')
done < <(git ls-files --cached --others --exclude-standard -- 'src/*.h' 'src/*.cpp' 'src/*.mm' 'server/*.h' 'server/*.cpp')

if ((violations > 0)); then
    echo "$violations include(s) reach upward or sideways; see $table."
    exit 1
fi
echo "Layers: every include of src/ and server/ stays within its layer's reach."
