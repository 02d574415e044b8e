# bash completion for find-icons
_find_icons()
{
    local cur prev
    local options="-b --background --tolerance --merge --speck --min-size --order --grid --grid-count --strays --grid-offset --grid-spacing
        --trim --keep-empty --whole --regions-from --format -o --framed --crop --atlas --atlas-dir --atlas-format --anchor
        --animations --animation-name --frame-duration --pack --pack-padding --extrude --pack-max --pack-pot --pack-keep-duplicates --pack-rotate --crop-format --crop-transparent --bleed --no-bleed --premultiply --replace-folder --isolate --name --padding
        --same-size --align -j --jobs -h --help --version"
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
        -b|--background)
            COMPREPLY=($(compgen -W "transparent auto White Black Red Lime Blue Yellow Fuchsia Aqua Gray Silver" -- "$cur"))
            return ;;
        --order) COMPREPLY=($(compgen -W "search rows columns" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "lines json" -- "$cur")); return ;;
        --crop-format) COMPREPLY=($(compgen -W "png bmp" -- "$cur")); return ;;
        --atlas-format) COMPREPLY=($(compgen -W "hash array aseprite starling libgdx css" -- "$cur")); return ;;
        --anchor) COMPREPLY=($(compgen -W "center bottom" -- "$cur")); return ;;
        --animations) COMPREPLY=($(compgen -W "rows columns" -- "$cur")); return ;;
        --regions-from|--pack) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --align) COMPREPLY=($(compgen -W "center bottom" -- "$cur")); return ;;
        --crop|--atlas-dir) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        -o|--framed|--atlas) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --grid) COMPREPLY=($(compgen -W "auto" -- "$cur")); return ;;
        --tolerance|--merge|--speck|--min-size|--grid-count|--grid-offset|--grid-spacing|--name|--padding|--animation-name|--frame-duration|--pack-padding|--extrude|--pack-max|-j|--jobs) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -X '!*.@(png|PNG|bmp|BMP)' -- "$cur") $(compgen -d -- "$cur"))
}
complete -o filenames -F _find_icons find-icons
