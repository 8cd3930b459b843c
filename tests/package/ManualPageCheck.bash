#!/usr/bin/env bash
# Renders each manual page as man shows it and finds words run together: a rendered word that
# the page's source does not hold but that is made of its words, three or more, or two of at
# least two letters each (as a sentence on a line of an alternating-font request comes out).
# Words joined on purpose, a name and a one-letter placeholder (COMMDEVICEn), pass.
# Usage: ManualPageCheck.bash PAGE...
set -euo pipefail
export LC_ALL=C
failures=0

# The words of the source: text lines and the arguments of requests, escapes taken out.
source_words() {
    sed -e '/^\.\\"/d' -e 's/^\.[A-Za-z]*//' -e 's/\\f\((..\|\[[^]]*\]\|.\)//g' \
        -e 's/\\(../ /g' -e 's/\\\[[^]]*\]/ /g' -e 's/\\[&|^ce]//g' "$1" | tr -cs '[:alnum:]' '\n'
}

# The words as rendered, on lines so long that nothing is broken or hyphenated.
rendered_words() {
    groff -man -Tutf8 -P-cbou -rLL=1000n "$1" | tr -cs '[:alnum:]' '\n'
}

for page in "$@"; do
    run_together=$(awk '
        FNR == NR { known[$0] = 1; next }
        $0 == "" || ($0 in known) { next }
        {
            # most[i]: the most known words the first i characters split into.
            n = length($0)
            delete most
            most[0] = 0
            pair = 0
            for (end = 1; end <= n; ++end)
                for (start = 0; start < end; ++start)
                    if ((start in most) && (substr($0, start + 1, end - start) in known)) {
                        if (!(end in most) || most[start] + 1 > most[end])
                            most[end] = most[start] + 1
                        if (end == n && start >= 2 && n - start >= 2 && most[start] == 1)
                            pair = 1
                    }
            if ((n in most) && (most[n] >= 3 || pair))
                print
        }' <(source_words "$page") <(rendered_words "$page") | sort -u)
    if [[ -n $run_together ]]; then
        echo "$page renders words run together: ${run_together//$'\n'/, }" >&2
        failures=$((failures + 1))
    fi
done
exit $((failures > 0))
