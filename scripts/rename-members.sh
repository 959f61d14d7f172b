#!/usr/bin/env bash
# Holds data members to the tree's one naming convention, snake_case with a trailing underscore
# (window_, frame_number_), by renaming the two other forms found in the tree in every tracked C++ file:
#
#   scripts/rename-members.sh prefixed    m_activeIndex -> active_index_
#   scripts/rename-members.sh camel       frameNumber_  -> frame_number_
#   scripts/rename-members.sh --check     renames nothing; lists the members of either form, exit 1 if any
#
# A rename whose new name is already used in a file that holds the old one is refused (nothing is
# changed, the clash is named): two members must not become one. The renames are plain text, whole
# identifiers only, so the script can be run again after a merge brings members of the old forms back.
set -euo pipefail
cd "$(dirname "$0")/.."

mode="${1:-}"
case "$mode" in
  prefixed | camel | --check) ;;
  *) echo "usage: scripts/rename-members.sh prefixed|camel|--check"; exit 2 ;;
esac

git ls-files -z '*.cpp' '*.h' '*.cpp.in' | MODE="$mode" perl -0 -e '
  use strict;
  use warnings;
  my $mode = $ENV{MODE};
  local $/ = "\0";
  my @files = map { chomp; $_ } <STDIN>;
  my %text;
  for my $file (@files) {
    open(my $in, "<", $file) or die "$file: $!";
    local $/;
    $text{$file} = <$in>;
    close($in);
  }

  my $prefixed = qr/\bm_[A-Za-z][A-Za-z0-9]*\b/;
  my $camel = qr/\b[a-z][a-z0-9]*[A-Z][A-Za-z0-9]*_(?![A-Za-z0-9_])/;
  sub snake {
    my ($name) = @_;
    $name =~ s/^m_//;
    $name =~ s/_$//;
    $name =~ s/([a-z0-9])([A-Z])/$1_$2/g;
    $name =~ s/([A-Z]+)([A-Z][a-z])/$1_$2/g;
    return lc($name) . "_";
  }

  my %found;
  for my $file (@files) {
    my @patterns = $mode eq "prefixed" ? ($prefixed) : $mode eq "camel" ? ($camel) : ($prefixed, $camel);
    for my $pattern (@patterns) {
      $found{$_}{$file} = 1 for $text{$file} =~ /($pattern)/g;
    }
  }
  if ($mode eq "--check") {
    for my $name (sort keys %found) {
      print "$name (", join(", ", sort keys %{$found{$name}}), ")\n";
    }
    exit(%found ? 1 : 0);
  }

  my %renames = map { $_ => snake($_) } keys %found;
  my $clashes = 0;
  for my $old (sort keys %renames) {
    my $new = $renames{$old};
    for my $file (sort keys %{$found{$old}}) {
      if ($text{$file} =~ /(?<![A-Za-z0-9_])\Q$new\E(?![A-Za-z0-9_])/) {
        print "refused: $old -> $new, $file already uses $new\n";
        $clashes = 1;
      }
    }
    my @others = grep { $renames{$_} eq $new && $_ ne $old } keys %renames;
    if (@others) {
      print "refused: $old and @others would both become $new\n";
      $clashes = 1;
    }
  }
  exit 1 if $clashes;

  my %changed;
  for my $old (sort keys %renames) {
    my $new = $renames{$old};
    for my $file (keys %{$found{$old}}) {
      $changed{$file} += ($text{$file} =~ s/(?<![A-Za-z0-9_])\Q$old\E(?![A-Za-z0-9_])/$new/g);
    }
    print "$old -> $new\n";
  }
  for my $file (sort keys %changed) {
    open(my $out, ">", $file) or die "$file: $!";
    print $out $text{$file};
    close($out);
  }
  printf "%d members renamed in %d files\n", scalar(keys %renames), scalar(keys %changed);
'
