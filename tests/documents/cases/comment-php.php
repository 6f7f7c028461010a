<?php
// Line comment one
# Hash comment two
/* Block comment
   three */
$greeting = "Hello $name, welcom";
$other = 'plain $text';
